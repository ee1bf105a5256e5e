// The file version a version resource carries, read from the resource's bytes alone, so
// that it also builds and runs natively (unit tests, fuzzing).
#pragma once

#include <stddef.h>

// 1 when `block` (`size` bytes, a version resource as a module's resource section holds
// it) is a VS_VERSION_INFO record whose value is a fixed file information record; then
// *version is its file version, the most significant half (major, minor) in the upper 32
// bits and the least significant half (build, revision) in the lower. 0 for anything else,
// and nothing outside the block, or outside the record's own length, is read.
int ReadFixedFileVersion(const unsigned char *block, size_t size, unsigned long long *version);

// Writes a file version as "major.minor.build.revision" into `out` (outSize bytes).
void FormatFileVersion(unsigned long long version, char *out, size_t outSize);
