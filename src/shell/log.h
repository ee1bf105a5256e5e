// The log an administrator asks for: one line per step, appended to a file in UTF-8.
// Without an open log every line is dropped, so the engine logs unconditionally.
#pragma once

// Opens (creating it if need be) the file for appending; 0 when it cannot be opened or is
// not the file named alone (a hard link, a symbolic link, a junction on the way).
int OpenLog(const char *path);
void CloseLog();

// The full path of the log last opened, for its first line.
const char *LogPath();

// Appends "date time.ms step text": `format` and its arguments are texts of the system's
// ANSI code page, converted for the log.
void LogLine(const char *step, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Logs the outcome of a platform call made just before: the text, then ": ok" or
// ": failed, error N" with the thread's last error. Returns `ok`; the last error is kept.
int LogCall(const char *step, int ok, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;
