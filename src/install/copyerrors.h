// Message chosen for a copy failure, and the checks that turn a bad name or a damaged
// compressed file into one; free of the platform.
#pragma once

#include <stddef.h>

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

// What a file's bytes are to the copy engine: plain (no SZDD signature), compressed and
// whole, or compressed and damaged (a header cut short or of another method than 'A', or
// data that do not expand to the size the header announces).
enum SzddState { SZDD_PLAIN, SZDD_WHOLE, SZDD_DAMAGED };
int CheckSzddData(const unsigned char *data, size_t length);

// The name under which the LZ library keeps a file stored compressed: the last character
// of a three-character extension (what follows the name's first dot) replaced by '_',
// '_' appended to a shorter one, "._" appended when there is none ("UNIDRV.DL_" for
// "UNIDRV.DLL", "J71.IN_" for "J71.IN", "README._" for "README"). Writes it into `out`
// (outSize bytes) and returns 1; returns 0, leaving `out` empty, when it does not fit.
int CompressedFileName(const char *name, char *out, size_t outSize);
