// The log's final path against the one asked for.
#include "shell/logpath.h"

#include <string.h>

// Skips the long-path prefix: "\\?\C:\x" reads "C:\x", "\\?\UNC\server\x" reads
// "\\server\x" (the returned text then starts one byte into "UNC\": `unc` says so).
static const char *WithoutPrefix(const char *path, int *unc) {
    *unc = 0;
    if (strncmp(path, "\\\\?\\", 4) != 0)
        return path;
    if ((path[4] == 'U' || path[4] == 'u') && (path[5] == 'N' || path[5] == 'n') &&
        (path[6] == 'C' || path[6] == 'c') && path[7] == '\\') {
        *unc = 1;
        return path + 7;
    }
    return path + 4;
}

static unsigned char Fold(unsigned char c) {
    return c >= 'a' && c <= 'z' ? (unsigned char)(c - 'a' + 'A') : c;
}

// Compares two paths; '/' and '\' are the same separator.
static int SamePath(const char *a, const char *b, const unsigned char *leadBytes) {
    const unsigned char *x = (const unsigned char *)a, *y = (const unsigned char *)b;
    while (*x && *y) {
        if (leadBytes && leadBytes[*x] && x[1]) {
            if (*x != *y || x[1] != y[1])
                return 0;
            x += 2;
            y += 2;
            continue;
        }
        unsigned char p = *x == '/' ? '\\' : Fold(*x), q = *y == '/' ? '\\' : Fold(*y);
        if (p != q)
            return 0;
        x++;
        y++;
    }
    return *x == *y;
}

// "\server\share\rest" (after "\\?\UNC") gives "\rest"; NULL when there is no such part.
static const char *WithinShare(const char *unc) {
    const char *at = unc;
    for (int separators = 0; *at; at++)
        if (*at == '\\' && ++separators == 3)
            return at;
    return NULL;
}

int IsSameLogPath(const char *finalPath, const char *askedPath, int remoteDrive,
                  const unsigned char *leadBytes) {
    if (!finalPath || !askedPath || !*finalPath || !*askedPath)
        return 0;
    int finalUnc, askedUnc;
    const char *final = WithoutPrefix(finalPath, &finalUnc);
    const char *asked = WithoutPrefix(askedPath, &askedUnc);
    if (finalUnc && remoteDrive && !askedUnc && asked[0] && asked[1] == ':') {
        const char *rest = WithinShare(final);
        return rest && SamePath(rest, asked + 2, leadBytes);
    }
    if (finalUnc != askedUnc && !(finalUnc && strncmp(asked, "\\\\", 2) == 0))
        return 0;
    if (finalUnc && !askedUnc) // "\\server\x" asked: compare from the single "\"
        asked++;
    return SamePath(final, asked, leadBytes);
}
