// The file version of a version resource: the fixed part of its root record.
#include "install/fileversion.h"

#include <stdio.h>

namespace {

// The root record: length, value length and type (16 bits each), then its key in UTF-16
// with its NUL, then padding to 32 bits, then the value.
const char kRootKey[] = "VS_VERSION_INFO";
const size_t kKeyAt = 6;
const size_t kKeyBytes = sizeof kRootKey * 2;
const size_t kValueAt = (kKeyAt + kKeyBytes + 3) & ~(size_t)3;
// The fixed file information: thirteen 32-bit fields, the first a signature.
const size_t kFixedInfoSize = 13 * 4;
const unsigned long kSignature = 0xFEEF04BDul;

unsigned Word(const unsigned char *at) {
    return (unsigned)at[0] | (unsigned)at[1] << 8;
}

unsigned long DoubleWord(const unsigned char *at) {
    return (unsigned long)Word(at) | (unsigned long)Word(at + 2) << 16;
}

} // namespace

// The record's own length bounds what is read, as does the block's; the value must be a
// whole fixed record with its signature. The record's key tells it from any other.
int ReadFixedFileVersion(const unsigned char *block, size_t size, unsigned long long *version) {
    if (!block || !version || size < kValueAt + kFixedInfoSize)
        return 0;
    size_t length = Word(block);
    size_t valueLength = Word(block + 2);
    if (length > size || length < kValueAt + kFixedInfoSize || valueLength < kFixedInfoSize)
        return 0;
    for (size_t i = 0; i < sizeof kRootKey; i++)
        if (Word(block + kKeyAt + 2 * i) != (unsigned char)kRootKey[i])
            return 0;
    const unsigned char *fixed = block + kValueAt;
    if (DoubleWord(fixed) != kSignature)
        return 0;
    *version = (unsigned long long)DoubleWord(fixed + 8) << 32 | DoubleWord(fixed + 12);
    return 1;
}

void FormatFileVersion(unsigned long long version, char *out, size_t outSize) {
    snprintf(out, outSize, "%u.%u.%u.%u", (unsigned)(version >> 48) & 0xFFFF,
             (unsigned)(version >> 32) & 0xFFFF, (unsigned)(version >> 16) & 0xFFFF,
             (unsigned)version & 0xFFFF);
}
