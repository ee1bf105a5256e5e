// The administrator's log: appended line by line, so a run that is stopped halfway still
// leaves every step it made, and several machines may append to one shared file.
#include "shell/log.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

static HANDLE g_log = INVALID_HANDLE_VALUE;

// OpenLog: appends to the file, creating it when missing.
int OpenLog(const char *path) {
    CloseLog();
    if (!path || !*path)
        return 0;
    g_log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    return g_log != INVALID_HANDLE_VALUE;
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
