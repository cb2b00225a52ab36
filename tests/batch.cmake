# The batch program against the window on the headless back end.
