# The whole program end to end on the Qt back end, offscreen.
