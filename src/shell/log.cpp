// The administrator's log: appended line by line, so a run that is stopped halfway still
// leaves every step it made, and several machines may append to one shared file.
#include "shell/log.h"

#include "shell/logpath.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static HANDLE g_log = INVALID_HANDLE_VALUE;
static char g_logPath[MAX_PATH];

typedef DWORD(WINAPI *GetFinalPathNameByHandleProc)(HANDLE file, char *path, DWORD size,
                                                    DWORD flags);
typedef BOOL(WINAPI *SetFileInformationByHandleProc)(HANDLE file, int infoClass, void *info,
                                                     DWORD size);
enum { FILE_DISPOSITION_INFO_CLASS = 4 };

// A function of kernel32 that older systems lack; NULL there. (Cast through the generic
// function type, as the platform's procedure type differs from every real one.)
typedef void (*AnyProcedure)(void);
static AnyProcedure KernelProcedure(const char *name) {
    return (AnyProcedure)GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

// The full path of `path` with its long names; 0 when it cannot be made.
static int FullLongPath(const char *path, char *full, DWORD size) {
    char *filePart;
    DWORD length = GetFullPathNameA(path, size, full, &filePart);
    if (length == 0 || length >= size)
        return 0;
    char longPath[MAX_PATH];
    length = GetLongPathNameA(full, longPath, sizeof longPath);
    if (length > 0 && length < sizeof longPath && length < size)
        strcpy(full, longPath);
    return 1;
}

// Whether the open file is the one `full` names, where the system can tell (Vista and
// later): its final path, past every link and junction, must be the path asked for.
static int FinalPathMatches(HANDLE file, const char *full) {
    GetFinalPathNameByHandleProc finalPathName =
        (GetFinalPathNameByHandleProc)KernelProcedure("GetFinalPathNameByHandleA");
    if (!finalPathName)
        return 1;
    char final[MAX_PATH + 16];
    DWORD length = finalPathName(file, final, sizeof final, 0 /* FILE_NAME_NORMALIZED */);
    if (length == 0 || length >= sizeof final)
        return 0;
    unsigned char leadBytes[256];
    for (int byte = 0; byte < 256; byte++)
        leadBytes[byte] = IsDBCSLeadByte((BYTE)byte) ? 1 : 0;
    char root[4] = {full[0], ':', '\\', '\0'};
    int remote = full[1] == ':' && GetDriveTypeA(root) == DRIVE_REMOTE;
    return IsSameLogPath(final, full, remote, leadBytes);
}

// Whether the open file is the file named and nothing else: not a reparse point (a
// symbolic link, a junction), not one of several hard links, and reached by no link or
// junction on the way.
static int IsOnlyTheNamedFile(HANDLE file, const char *full) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return 0;
    if (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (information.nNumberOfLinks != 1)
        return 0;
    return FinalPathMatches(file, full);
}

// Takes back a log file this run has just created and then refused.
static void DeleteCreated(HANDLE file) {
    SetFileInformationByHandleProc setInformation =
        (SetFileInformationByHandleProc)KernelProcedure("SetFileInformationByHandle");
    BOOLEAN deleteFile = TRUE;
    if (setInformation)
        setInformation(file, FILE_DISPOSITION_INFO_CLASS, &deleteFile, sizeof deleteFile);
}

// OpenLog: appends to the file, creating it when missing. A name that is a link, or leads
// through one, is refused with nothing changed: the program may run elevated, writing
// where an ordinary user can create names in advance. The link itself, not its target,
// is what is opened and looked at.
int OpenLog(const char *path) {
    CloseLog();
    if (!path || !*path || !FullLongPath(path, g_logPath, sizeof g_logPath))
        return 0;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    int created = 0;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, share, NULL,
                              OPEN_EXISTING, flags, NULL);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // Never one that appeared since: that one was not looked at.
        file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | DELETE, share, NULL,
                           CREATE_NEW, flags, NULL);
        created = 1;
    }
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // Now that the file exists, short names of its folders can be expanded too.
    FullLongPath(path, g_logPath, sizeof g_logPath);
    if (!IsOnlyTheNamedFile(file, g_logPath)) {
        if (created)
            DeleteCreated(file);
        CloseHandle(file);
        return 0;
    }
    g_log = file;
    return 1;
}

const char *LogPath() {
    return g_logPath;
}

void CloseLog() {
    if (g_log != INVALID_HANDLE_VALUE)
        CloseHandle(g_log);
    g_log = INVALID_HANDLE_VALUE;
}

// Texts of the ANSI code page (Korean names in code page 949 on a Korean system) become
// UTF-8, so the log reads the same on any machine. Returns the UTF-8 length.
static int ToUtf8(const char *text, int length, char *out, int outSize) {
    WCHAR wide[4096];
    int wideLength = MultiByteToWideChar(CP_ACP, 0, text, length, wide, 4096);
    if (wideLength <= 0)
        return 0;
    return WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, out, outSize, NULL, NULL);
}

// Writes one whole line with one call, so lines of different writers never mix.
static void WriteLine(const char *step, const char *format, va_list arguments) {
    char text[4096];
    int length = vsnprintf(text, sizeof text, format, arguments);
    if (length < 0)
        return;
    if (length >= (int)sizeof text)
        length = sizeof text - 1;

    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[3 * sizeof text + 64];
    int used = snprintf(line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %-8s ", now.wYear,
                        now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                        now.wMilliseconds, step);
    if (used < 0)
        return;
    used += ToUtf8(text, length, line + used, (int)sizeof line - used - 2);
    line[used++] = '\r';
    line[used++] = '\n';
    DWORD written;
    WriteFile(g_log, line, (DWORD)used, &written, NULL);
}

// LogLine: one step of the run; nothing without an open log.
void LogLine(const char *step, const char *format, ...) {
    if (g_log == INVALID_HANDLE_VALUE)
        return;
    va_list arguments;
    va_start(arguments, format);
    WriteLine(step, format, arguments);
    va_end(arguments);
}

// LogCall: a platform call's outcome with the error it left.
int LogCall(const char *step, int ok, const char *format, ...) {
    DWORD error = GetLastError();
    if (g_log != INVALID_HANDLE_VALUE) {
        char what[3072];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(what, sizeof what, format, arguments);
        va_end(arguments);
        if (ok)
            LogLine(step, "%s: ok", what);
        else
            LogLine(step, "%s: failed, error %lu", what, (unsigned long)error);
    }
    SetLastError(error);
    return ok;
}
