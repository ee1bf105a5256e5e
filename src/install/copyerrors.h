// Message chosen for a copy failure, and the checks that turn a bad name or a damaged
// compressed file into one; free of the platform.
#pragma once

// String id of the message for an LZ result code (or 1, a file that cannot be opened).
unsigned CopyErrorStringId(int code);

// Whether a failure with this code asks for another try at the same file.
int IsBadHandleCode(int code);

// 1 when a copy-list name joined to the driver directory stays inside it: not empty, not
// ".", no path separator, no drive colon, no "..".
int IsSafeCopyName(const char *name);

// Length of the header of a file compressed by the LZ library ("SZDD").
enum { SZDD_HEADER_SIZE = 14 };

// 1 when the first `length` bytes of a file are a complete SZDD header of method 'A';
// then *size is the expanded size it announces.
int ReadSzddSize(const unsigned char *header, unsigned length, unsigned long *size);
