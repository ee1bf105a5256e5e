// The copy engine: one driver file at a time from the setup folder into the spooler's
// driver directory and its version subdirectory, expanded on the way when it is stored
// compressed, with a message for every failure.
#include "install/copyerrors.h"
#include "install/fileversion.h"
#include "install/install.h"
#include "install/report.h"
#include "install/seam.h"
#include "res/resource.h"
#include "setupinfo/setupinfo.h"
#include "shell/log.h"
#include "shell/session.h"
#include "ui/pages.h"

#include <io.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

// How often one file may fail with a bad handle before it counts as a plain failure.
enum { MAX_BAD_HANDLE_TRIES = 3 };

// Bad-handle failures in a row of the file tried last.
static struct {
    int index;
    int failures;
} g_badHandle = {-1, 0};

// StartCopyRun: a copy of the whole list begins; no count of an earlier run carries over.
void StartCopyRun() {
    g_badHandle.index = -1;
    g_badHandle.failures = 0;
}

// Paths of the file being copied, each bounded by its buffer.
struct CopyPaths {
    char source[TEXT_BUFFER_SIZE]; // in the setup folder
    char first[TEXT_BUFFER_SIZE];
    char second[TEXT_BUFFER_SIZE]; // empty when there is no version directory
};

// The name at `index` in copyList, or NULL when the list ends first. Never reads past
// the list's buffer, whatever it holds.
const char *FindCopyName(int index) {
    const char *list = g_session.copyList;
    size_t at = 0;
    if (index < 0)
        return NULL;
    for (int skipped = 0;; skipped++) {
        const char *end = (const char *)memchr(list + at, 0, sizeof g_session.copyList - at);
        if (!end || end == list + at)
            return NULL;
        if (skipped == index)
            return list + at;
        at = (size_t)(end - list) + 1;
        if (at >= sizeof g_session.copyList)
            return NULL;
    }
}

// The name's path in the setup folder, the driver directory and its version directory.
// Returns 0 for a name that could leave a directory, a directory the spooler never gave,
// no setup folder, or a path that does not fit: such a file is never touched.
static int BuildCopyPaths(const char *name, CopyPaths *paths) {
    paths->second[0] = 0;
    return SetupFilePath(name, paths->source, sizeof paths->source) &&
           DriverFilePath(name, 0, paths->first, sizeof paths->first) &&
           (g_session.driverVersion < 2 ||
            DriverFilePath(name, g_session.driverVersion, paths->second, sizeof paths->second));
}

// Old copies go first, so that a failed open leaves none of them behind. Returns 1 when
// a file of that name is still there afterwards (one in use cannot be deleted).
static int DeleteIfPresent(const char *path) {
    if (*path && _access(path, 0) == 0) {
        _unlink(path);
        return _access(path, 0) == 0;
    }
    return 0;
}

// The LZ library takes the platform's file handles, as its own opens make them.
static INT LzHandle(HANDLE file) {
    return (INT)HandleToLong(file);
}

// Opens a source file for reading; the failure's error code is left for the caller.
static HANDLE OpenForReading(const char *path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

// The file of `path`, else the file under its compressed name when the plain name is
// missing, opened once; `opened` names the file taken, or `path` when neither opens, with
// the last error left as the open left it.
static HANDLE OpenSetupFileOnce(const char *path, char *opened) {
    strcpy(opened, path);
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        char *name = strrchr(opened, '\\') + 1;
        const char *plain = path + (name - opened);
        if (CompressedFileName(plain, name, TEXT_BUFFER_SIZE - (size_t)(name - opened)))
            file = OpenForReading(opened);
    }
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        strcpy(opened, path);
        SetLastError(error);
    }
    return file;
}

// OpenSetupFile: the file of `path` in the setup folder and nowhere else: the LZ library's
// own open (through OpenFile) holds no more than 128 characters of path and looks for a
// missing file in the current directory, the system folders and PATH too. A file kept
// under its compressed name ("NAME.DL_" for "NAME.DLL") is taken, as the LZ library takes
// it, but only when the plain name is missing. The setup folder may be a share that other
// machines read at the same moment, and one of them may hold a file without sharing for a
// while (a copy tool, a scanner): a sharing violation is tried again for up to 10 s, logged
// once, before it counts as a file that cannot be opened. `opened` (TEXT_BUFFER_SIZE bytes)
// names the file taken, or `path` when neither opens, with the last error left as the open
// left it.
HANDLE OpenSetupFile(const char *path, char *opened) {
    DWORD limit = SeamWaitLimit("SharingWait", 10000);
    DWORD started = GetTickCount();
    for (int attempt = 0;; attempt++) {
        HANDLE file = OpenSetupFileOnce(path, opened);
        DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE || error != ERROR_SHARING_VIOLATION ||
            GetTickCount() - started >= limit) {
            SetLastError(error);
            return file;
        }
        if (!attempt)
            LogLine("open",
                    "%s is in use by another process (error %lu); trying again for up "
                    "to %lu s",
                    path, (unsigned long)error, (unsigned long)(limit / 1000));
        g_reporter->pause(limit < 1000 ? limit / 4 + 1 : 250);
    }
}

// OpenSetupSource: opens the source as above. The header is read from that very open, and
// the expansion is set up here with LZInit: left to CopyLZFile, it would be set up there
// and closed behind our back, and the LZClose after it would close the same handle again.
// Returns the handle for the LZ library, or a negative LZ code.
INT OpenSetupSource(const char *path, char *opened, SourceHeader *header) {
    header->compressed = 0;
    HANDLE file = OpenSetupFile(path, opened);
    if (file == INVALID_HANDLE_VALUE)
        return LZERROR_BADINHANDLE;
    unsigned char bytes[SZDD_HEADER_SIZE];
    DWORD read = 0;
    if (ReadFile(file, bytes, sizeof bytes, &read, NULL))
        header->compressed = ReadSzddSize(bytes, read, &header->announced);
    if (SetFilePointer(file, 0, NULL, FILE_BEGIN) != 0) {
        CloseHandle(file);
        return LZERROR_BADINHANDLE;
    }
    INT expanding = LZInit(LzHandle(file));
    return expanding <= 0 ? LzHandle(file) : expanding;
}

// Creates the first destination by its full path, emptying a file left there. The LZ
// library's own creation goes through OpenFile as well: 128 characters of path at most,
// and where the file cannot be created it creates one under its compressed name instead.
// Returns the handle for the LZ library, or -1.
static INT CreateDestination(const char *path) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    return file == INVALID_HANDLE_VALUE ? -1 : LzHandle(file);
}

// Expands the opened source into the first destination. The platform answers a
// truncated or garbled compressed file with a size and no error, so a size other than
// the header's is taken for damaged data.
static int ExpandFile(INT source, INT destination, const char *opened, const SourceHeader *header,
                      const CopyPaths *paths) {
    int compressed = header->compressed;
    unsigned long announced = header->announced;
    INT result = SeamCopyLZFile(source, destination);
    LZClose(source);
    LZClose(destination);
    if (result >= 0 && compressed && (unsigned long)result != announced) {
        LogLine("copy", "%s -> %s: LZ result %d, but the file announces %lu bytes: damaged", opened,
                paths->first, (int)result, announced);
        return LZERROR_READ;
    }
    if (result < 0)
        LogLine("copy", "%s -> %s: failed, LZ result %d", opened, paths->first, (int)result);
    else
        LogLine("copy", "%s -> %s: %s, %d bytes (LZ result %d)", opened, paths->first,
                compressed ? "expanded" : "copied as it is", (int)result, (int)result);
    return result;
}

// Result for a failed expansion: bad handles are tried again, up to a bound, since a
// fault that repeats forever would trap the user in the same message.
static int ResultOfFailure(int index, int code) {
    if (!IsBadHandleCode(code)) {
        g_badHandle.index = -1;
        return 0;
    }
    if (g_badHandle.index != index) {
        g_badHandle.index = index;
        g_badHandle.failures = 0;
    }
    if (++g_badHandle.failures >= MAX_BAD_HANDLE_TRIES) {
        g_badHandle.index = -1;
        return 0;
    }
    return COPY_RETRY;
}

// A file that cannot be opened, named or placed: its message and the end of copying.
static int RefuseFile(HWND page) {
    g_badHandle.index = -1;
    g_reporter->showCopyError(page, 1);
    return 0;
}

// The file version of a file's version resource, read with the file loaded as data
// alone: none of its code runs, and no library beyond the loader's is needed for it.
// Returns 0 when the file has none (or is no module at all).
static int ReadFileVersion(const char *path, unsigned long long *version) {
    HMODULE module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 0;
    int found = 0;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), (LPCSTR)RT_VERSION);
    if (resource) {
        HGLOBAL loaded = LoadResource(module, resource);
        DWORD size = SizeofResource(module, resource);
        const void *block = loaded ? LockResource(loaded) : NULL;
        if (block)
            found = ReadFixedFileVersion((const unsigned char *)block, size, version);
    }
    FreeLibrary(module);
    return found;
}

// What stood in the version directory before the copy.
struct VersionCopy {
    int held;      // it could not be deleted (in use)
    int versioned; // it carries a file version, and is kept until compared
    unsigned long long version;
};

// Every Unidrv printer of the machine shares the files of the version directory, and one
// there may be newer than ours: a file with a version resource stays until ours is
// expanded and the two versions are compared. Any other old copy goes first, as in the
// driver directory, so that a failed open leaves none of ours behind.
static void ClearVersionCopy(const CopyPaths *paths, VersionCopy *old) {
    old->held = old->versioned = 0;
    if (!paths->second[0] || _access(paths->second, 0) != 0)
        return;
    if (ReadFileVersion(paths->second, &old->version))
        old->versioned = 1;
    else
        old->held = DeleteIfPresent(paths->second);
}

// 1 when the version directory's file is newer than the one just expanded, which then
// does not replace it: as the spooler's own copy keeps a newer file. A file of ours
// without a version cannot be told older, and replaces it.
static int KeepsNewerVersion(const CopyPaths *paths, const VersionCopy *old) {
    unsigned long long ours;
    if (!old->versioned || !ReadFileVersion(paths->first, &ours) || ours >= old->version)
        return 0;
    char theirs[32], installing[32];
    FormatFileVersion(old->version, theirs, sizeof theirs);
    FormatFileVersion(ours, installing, sizeof installing);
    LogLine("copy", "%s: kept, its version %s is newer than %s of %s", paths->second, theirs,
            installing, paths->first);
    return 1;
}

// The copy into the version directory. The spooler copies every driver file from the
// driver directory into it itself when the driver is registered, and there the files of
// a driver already loaded (by any printer of the same base driver) are in use and
// cannot be overwritten by a plain copy; so a failure here never stops the
// installation. A partial copy of ours is removed, never left for a driver file; a file
// that was there before and could not be deleted is not ours to touch.
static void CopyIntoVersionDirectory(const CopyPaths *paths, const VersionCopy *old) {
    if (!paths->second[0] || KeepsNewerVersion(paths, old))
        return;
    int secondHeld = old->versioned ? DeleteIfPresent(paths->second) : old->held;
    if (CopyFileA(paths->first, paths->second, FALSE)) {
        LogLine("copy", "%s -> %s: copied", paths->first, paths->second);
        return;
    }
    DWORD error = GetLastError();
    if (!secondHeld)
        DeleteIfPresent(paths->second);
    LogLine("copy", "%s -> %s: not copied, error %lu%s; left to the spooler", paths->first,
            paths->second, (unsigned long)error, secondHeld ? " (the file there is in use)" : "");
}

// CopyOneFile: copies the file at `index` of copyList into the driver directory and,
// from there, into its version directory. Returns 1 when copied, 0 when copying must
// stop and COPY_RETRY when the same file is to be tried again; any message has been
// shown and closed by then.
int CopyOneFile(HWND page, int index) {
    const char *name = FindCopyName(index);
    g_reporter->showCopying(page, name ? name : "", g_session.driverDirectory);

    CopyPaths paths;
    if (!BuildCopyPaths(name, &paths)) {
        LogLine("copy", "file %d \"%s\": refused, it cannot be placed in %s", index,
                name ? name : "(none)", g_session.driverDirectory);
        return RefuseFile(page);
    }
    DeleteIfPresent(paths.first);
    VersionCopy old;
    ClearVersionCopy(&paths, &old);

    char opened[TEXT_BUFFER_SIZE];
    SourceHeader header;
    INT source = OpenSetupSource(paths.source, opened, &header);
    if (source < 0) {
        LogLine("copy", "%s: cannot be opened, LZ result %d, error %lu", paths.source, (int)source,
                (unsigned long)GetLastError());
        return RefuseFile(page);
    }
    INT destination = CreateDestination(paths.first);
    if (destination < 0) {
        LogLine("copy", "%s: cannot be created, error %lu", paths.first,
                (unsigned long)GetLastError());
        LZClose(source);
        return RefuseFile(page);
    }

    int result = ExpandFile(source, destination, opened, &header, &paths);
    if (result < 0) {
        // A partial file must not pass for a driver file.
        _unlink(paths.first);
        g_reporter->showCopyError(page, result);
        return ResultOfFailure(index, result);
    }
    CopyIntoVersionDirectory(&paths, &old);
    g_badHandle.index = -1;
    return 1;
}

// ShowCopyError: the message for an LZ result code (or 1, a file that cannot be
// opened), modal over the owner, with the error icon.
void ShowCopyError(HWND owner, int code) {
    char text[TEXT_BUFFER_SIZE] = "";
    char caption[TEXT_BUFFER_SIZE] = "";
    LoadStringA(g_instance, CopyErrorStringId(code), text, sizeof text);
    LoadStringA(g_instance, IDS_CAPTION_ERROR, caption, sizeof caption);
    ShowMessageDialog(owner, text, caption, MB_ICONERROR);
}
