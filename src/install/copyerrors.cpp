// Message chosen for a copy failure.
#include "install/copyerrors.h"

#include "res/resource.h"

#include <string.h>

// Code 1 is the engine's own (a file cannot be opened); the negative codes are the LZ
// library's. Anything unknown, 0 included, is an unknown error.
unsigned CopyErrorStringId(int code) {
    switch (code) {
    case 1:
        return IDS_FILE_OPEN_ERROR;
    case -1:
        return IDS_CANNOT_READ_SOURCE;
    case -2:
        return IDS_CANNOT_CREATE_DEST;
    case -3:
    case -8:
        return IDS_FILE_DAMAGED;
    case -4:
        return IDS_DISK_FULL;
    case -5:
        return IDS_MEMORY_EXHAUSTED;
    case -6:
        return IDS_DECOMPRESSION_ERROR;
    default:
        return IDS_UNKNOWN_ERROR;
    }
}

// A bad source or destination handle may be passing: the same file is tried again.
int IsBadHandleCode(int code) {
    return code == -1 || code == -2;
}

// The name goes behind the driver directory as it stands, so anything that could
// leave that directory, name another drive or name the directory itself is refused.
int IsSafeCopyName(const char *name) {
    if (!name || !*name || (name[0] == '.' && name[1] == 0))
        return 0;
    for (const char *c = name; *c; c++) {
        if (*c == '\\' || *c == '/' || *c == ':')
            return 0;
        if (c[0] == '.' && c[1] == '.')
            return 0;
    }
    return 1;
}

// Magic "SZDD" 0x88 0xF0 0x27 0x33, method 'A', the missing last character of the
// name, then the expanded size, 32 bits little-endian.
int ReadSzddSize(const unsigned char *header, unsigned length, unsigned long *size) {
    static const unsigned char magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (!header || length < SZDD_HEADER_SIZE)
        return 0;
    for (unsigned i = 0; i < sizeof magic; i++)
        if (header[i] != magic[i])
            return 0;
    if (header[8] != 'A')
        return 0;
    *size = (unsigned long)header[10] | (unsigned long)header[11] << 8 |
            (unsigned long)header[12] << 16 | (unsigned long)header[13] << 24;
    return 1;
}

// The LZ library's rule, for the extension after the first dot of the name (the names it
// was made for had one dot at most); an extension longer than three characters loses its
// last character too, as the library's own rule does.
int CompressedFileName(const char *name, char *out, size_t outSize) {
    if (!out || outSize == 0)
        return 0;
    out[0] = 0;
    if (!name)
        return 0;
    size_t length = strlen(name);
    const char *dot = strchr(name, '.');
    size_t extension = dot ? length - (size_t)(dot + 1 - name) : 0;
    size_t needed = !dot ? length + 2 : extension < 3 ? length + 1 : length;
    if (needed + 1 > outSize)
        return 0;
    memcpy(out, name, length);
    if (!dot)
        memcpy(out + length, "._", 2);
    else if (extension < 3)
        out[length] = '_';
    else
        out[length - 1] = '_';
    out[needed] = 0;
    return 1;
}

// CheckSzddData: walks the compressed stream (a flag byte, then eight items, each a
// literal byte or a two-byte reference that repeats 3 to 18 bytes of the window) and
// counts what it expands to, writing nothing.
int CheckSzddData(const unsigned char *data, size_t length) {
    static const unsigned char magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (!data || length < sizeof magic || memcmp(data, magic, sizeof magic) != 0)
        return SZDD_PLAIN;
    unsigned long announced;
    if (!ReadSzddSize(data,
                      length < SZDD_HEADER_SIZE ? (unsigned)length : (unsigned)SZDD_HEADER_SIZE,
                      &announced))
        return SZDD_DAMAGED;
    unsigned long long expanded = 0;
    size_t at = SZDD_HEADER_SIZE;
    while (at < length) {
        unsigned flags = data[at++];
        for (int item = 0; item < 8 && at < length; item++, flags >>= 1) {
            if (flags & 1) {
                at++;
                expanded++;
                continue;
            }
            if (length - at < 2)
                return SZDD_DAMAGED; // a reference cut in half
            expanded += (data[at + 1] & 0x0Fu) + 3;
            at += 2;
        }
    }
    return expanded == announced ? SZDD_WHOLE : SZDD_DAMAGED;
}
