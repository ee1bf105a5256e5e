// The two ways the installation engine can show what it does: to the person at the
// wizard, or to nobody.
#include "install/report.h"

#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"

#include <stdio.h>

static void ShowCopyingOnPage(HWND page, const char *name, const char *directory) {
    SetDlgItemTextA(page, IDC_COPY_FILE, name);
    SetDlgItemTextA(page, IDC_COPY_DIRECTORY, directory);
}

// The spooler refused the driver: the system's message box, no owner, with its code.
static void ShowDriverRefusedBox(DWORD error) {
    char text[TEXT_BUFFER_SIZE];
    snprintf(text, sizeof text, "Cannot add a printer driver!\r\n(System Error Code : %d)",
             (int)error);
    MessageBoxA(NULL, text, "Add a printer error ", MB_ICONERROR);
}

const InstallReporter g_wizardReporter = {
    ShowCopyingOnPage,
    ShowCopyError,
    ShowDriverRefusedBox,
    OF_CANCEL | OF_PROMPT,
};

static void ShowCopyingToNobody(HWND, const char *, const char *) {}
static void ShowCopyErrorToNobody(HWND, int) {}
static void ShowDriverRefusedToNobody(DWORD) {}

// Nobody can answer a prompt for a missing disk, so a missing file simply fails.
const InstallReporter g_silentReporter = {
    ShowCopyingToNobody,
    ShowCopyErrorToNobody,
    ShowDriverRefusedToNobody,
    0,
};

const InstallReporter *g_reporter = &g_wizardReporter;
