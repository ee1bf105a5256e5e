// Whether the file the system opened for the log is the one that was named: no link or
// junction on the way led elsewhere. Free of the platform, so that it is tested natively.
#pragma once

// `finalPath` is what the system says the open file is (GetFinalPathNameByHandle: "\\?\C:\..."
// or "\\?\UNC\server\share\..."), `askedPath` the full path of the name asked for. Letter
// case is ignored for ASCII letters; the second byte of a double-byte character (a byte
// flagged in `leadBytes`, 256 flags, or NULL for a single-byte code page) is compared as
// it is. With `remoteDrive` set, `askedPath` is on a network drive mapped to a letter and is
// compared with the path within the share. Returns 1 for the same file.
int IsSameLogPath(const char *finalPath, const char *askedPath, int remoteDrive,
                  const unsigned char *leadBytes);
