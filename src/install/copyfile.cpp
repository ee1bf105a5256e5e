// The copy engine: one driver file at a time from the setup folder into the spooler's
// driver directory and its version subdirectory, expanded on the way when it is stored
// compressed, with a message for every failure.
#include "install/copyerrors.h"
#include "install/install.h"
#include "install/report.h"
#include "install/seam.h"
#include "res/resource.h"
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
    char source[TEXT_BUFFER_SIZE];
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

// Joins the name to the driver directory (and its version directory). Returns 0, with
// nothing built, for a name that could leave the directory, a directory the spooler
// never gave, or a path that does not fit: such a file is never touched.
static int BuildCopyPaths(const char *name, CopyPaths *paths) {
    const char *directory = g_session.driverDirectory;
    size_t length = strnlen(directory, sizeof g_session.driverDirectory);
    if (!name || !IsSafeCopyName(name) || length == 0 || length >= sizeof g_session.driverDirectory)
        return 0;

    int n = snprintf(paths->source, sizeof paths->source, "%s", name);
    if (n < 0 || (size_t)n >= sizeof paths->source)
        return 0;
    n = snprintf(paths->first, sizeof paths->first, "%s%s", directory, name);
    if (n < 0 || (size_t)n >= sizeof paths->first)
        return 0;
    paths->second[0] = 0;
    if (g_session.driverVersion >= 2) {
        const char *separator = directory[length - 1] == '\\' ? "" : "\\";
        n = snprintf(paths->second, sizeof paths->second, "%s%s%d\\%s", directory, separator,
                     g_session.driverVersion, name);
        if (n < 0 || (size_t)n >= sizeof paths->second)
            return 0;
    }
    return 1;
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

// What a source's first bytes say: whether it is compressed (SZDD), and then the size it
// expands to. A plain file, or one whose header cannot be read, is copied unchanged.
struct SourceHeader {
    int compressed;
    unsigned long announced;
};

// Opens the source with LZOpenFileA, which also finds a file stored under its compressed
// name ("NAME.DL_" for "NAME.DLL"). With any flag beside OF_READ (the wizard's prompt, or
// OF_CANCEL, which alone asks nothing) the library hands back the plain file and leaves
// the expansion to be set up later. The header is read from that very open, and the
// expansion is set up here with LZInit: left to CopyLZFile, it would be set up there and
// closed behind our back, and the LZClose after it would close the same handle again.
// Returns the handle for the LZ library, or a negative LZ code.
static INT OpenSource(const char *path, OFSTRUCT *opened, UINT style, SourceHeader *header) {
    header->compressed = 0;
    INT file = LZOpenFileA((LPSTR)path, opened, (WORD)(style | OF_CANCEL));
    if (file < 0)
        return file;
    unsigned char bytes[SZDD_HEADER_SIZE];
    UINT read = _lread((HFILE)file, bytes, sizeof bytes);
    if (read != (UINT)HFILE_ERROR)
        header->compressed = ReadSzddSize(bytes, read, &header->announced);
    if (_llseek((HFILE)file, 0, FILE_BEGIN) != 0) {
        LZClose(file);
        return LZERROR_BADINHANDLE;
    }
    INT expanding = LZInit(file);
    return expanding <= 0 ? file : expanding;
}

// Expands the opened source into the first destination. The platform answers a
// truncated or garbled compressed file with a size and no error, so a size other than
// the header's is taken for damaged data.
static int ExpandFile(INT source, INT destination, const OFSTRUCT *opened,
                      const SourceHeader *header, const CopyPaths *paths) {
    int compressed = header->compressed;
    unsigned long announced = header->announced;
    INT result = SeamCopyLZFile(source, destination);
    LZClose(source);
    LZClose(destination);
    if (result >= 0 && compressed && (unsigned long)result != announced) {
        LogLine("copy", "%s -> %s: LZ result %d, but the file announces %lu bytes: damaged",
                opened->szPathName, paths->first, (int)result, announced);
        return LZERROR_READ;
    }
    if (result < 0)
        LogLine("copy", "%s -> %s: failed, LZ result %d", opened->szPathName, paths->first,
                (int)result);
    else
        LogLine("copy", "%s -> %s: %s, %d bytes (LZ result %d)", opened->szPathName, paths->first,
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

// When the destination cannot be created, the LZ library tries its compressed-file name
// instead ("NAME.DL_" for "NAME.DLL") and creates that. Such an open is no copy of the
// driver file: the caller removes the stray file and counts the open as failed.
static int OpenedElsewhere(const char *path, const OFSTRUCT *opened) {
    char full[TEXT_BUFFER_SIZE];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    if (length == 0 || length >= sizeof full || length >= sizeof opened->szPathName)
        return 0; // beyond what the open record holds: nothing to compare with
    return lstrcmpiA(full, opened->szPathName) != 0;
}

// A file that cannot be opened, named or placed: its message and the end of copying.
static int RefuseFile(HWND page) {
    g_badHandle.index = -1;
    g_reporter->showCopyError(page, 1);
    return 0;
}

// The copy into the version directory. The spooler copies every driver file from the
// driver directory into it itself when the driver is registered, and there the files of
// a driver already loaded (by any printer of the same base driver) are in use and
// cannot be overwritten by a plain copy; so a failure here never stops the
// installation. A partial copy of ours is removed, never left for a driver file; a file
// that was there before and could not be deleted is not ours to touch.
static void CopyIntoVersionDirectory(const CopyPaths *paths, int secondHeld) {
    if (!paths->second[0])
        return;
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
    int secondHeld = DeleteIfPresent(paths.second);

    OFSTRUCT sourceRecord = {}, destinationRecord = {};
    SourceHeader header;
    INT source =
        OpenSource(paths.source, &sourceRecord, OF_READ | g_reporter->sourcePrompt, &header);
    if (source < 0) {
        LogLine("copy", "%s: cannot be opened, LZ result %d", paths.source, (int)source);
        return RefuseFile(page);
    }
    INT destination = LZOpenFileA(paths.first, &destinationRecord, OF_CREATE);
    if (destination >= 0 && OpenedElsewhere(paths.first, &destinationRecord)) {
        LogLine("copy", "%s: created as %s instead; removed", paths.first,
                destinationRecord.szPathName);
        LZClose(destination);
        DeleteFileA(destinationRecord.szPathName);
        destination = -1;
    }
    if (destination < 0) {
        LogLine("copy", "%s: cannot be created, LZ result %d, error %lu", paths.first,
                (int)destination, (unsigned long)GetLastError());
        LZClose(source);
        return RefuseFile(page);
    }

    int result = ExpandFile(source, destination, &sourceRecord, &header, &paths);
    if (result < 0) {
        // A partial file must not pass for a driver file.
        _unlink(paths.first);
        g_reporter->showCopyError(page, result);
        return ResultOfFailure(index, result);
    }
    CopyIntoVersionDirectory(&paths, secondHeld);
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
