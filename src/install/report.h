// What the installation engine shows a person while it works: the copy page's texts and
// the wizard's messages and boxes, or nothing at all in an unattended run, whose log
// tells everything. One of the two is chosen at start-up, before any of the engine runs.
#pragma once

#include <windows.h>

struct InstallReporter {
    // The file about to be copied and the directory it goes to, on the copy page.
    void (*showCopying)(HWND page, const char *name, const char *directory);
    // A copy failure: an LZ result code, or 1 for a file that cannot be opened.
    void (*showCopyError)(HWND page, int code);
    // The spooler refused the driver, with its error code.
    void (*showDriverRefused)(DWORD error);
    // A pause of `ms` while the engine waits for the spooler or a file to be let go: the
    // wizard keeps its windows answering under the wait cursor, so that the system never
    // calls it "Not Responding"; an unattended run just sleeps.
    void (*pause)(DWORD ms);
};

extern const InstallReporter g_wizardReporter;
extern const InstallReporter g_silentReporter;

// The reporter in use; the wizard's unless start-up chose the silent one.
extern const InstallReporter *g_reporter;
