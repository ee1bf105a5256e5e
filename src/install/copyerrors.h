// Message chosen for a copy failure, free of the platform.
#pragma once

// String id of the message for an LZ result code (or 1, a file that cannot be opened).
unsigned CopyErrorStringId(int code);

// Whether a failure with this code asks for another try at the same file.
int IsBadHandleCode(int code);
