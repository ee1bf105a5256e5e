// Where a driver file is read from and written to: the setup folder, the spooler's driver
// directory and the driver version's directory below it. Every path of a driver file is
// built here, bounded by its buffer, and only for a name that stays inside its folder.
#include "install/install.h"

#include "install/copyerrors.h"
#include "setupinfo/setupinfo.h"
#include "shell/session.h"

#include <stdio.h>
#include <string.h>

// Joins the parts into `path`; 0, with `path` empty, when they do not fit its `size` bytes.
static int Join(char *path, size_t size, const char *folder, const char *separator,
                const char *middle, const char *name) {
    int n = snprintf(path, size, "%s%s%s%s", folder, separator, middle, name);
    if (n >= 0 && (size_t)n < size)
        return 1;
    path[0] = '\0';
    return 0;
}

// DriverFilePath: `version` 0 gives the driver directory followed directly by the name, as
// the spooler hands the directory over with its final backslash; a version of 2 or more
// gives its directory below the driver directory, with a backslash put in between only
// where the directory lacks one.
int DriverFilePath(const char *name, int version, char *path, size_t size) {
    const char *directory = g_session.driverDirectory;
    size_t length = strnlen(directory, sizeof g_session.driverDirectory);
    path[0] = '\0';
    if (!name || !IsSafeCopyName(name) || length == 0 || length >= sizeof g_session.driverDirectory)
        return 0;
    if (version == 0)
        return Join(path, size, directory, "", "", name);
    char middle[16];
    snprintf(middle, sizeof middle, "%d\\", version);
    const char *separator = directory[length - 1] == '\\' ? "" : "\\";
    return Join(path, size, directory, separator, middle, name);
}

// SetupFilePath: the file of that name in the setup folder, and nowhere else.
int SetupFilePath(const char *name, char *path, size_t size) {
    const char *folder = GetSetupFolder();
    path[0] = '\0';
    if (!name || !IsSafeCopyName(name) || !folder[0])
        return 0;
    return Join(path, size, folder, "", "", name);
}
