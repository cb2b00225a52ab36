# The batch program against the same entries driven directly.
