// The two ways the installation engine can show what it does: to the person at the
// wizard, or to nobody.
#include "install/report.h"

#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"

#include <stdio.h>
#include <string.h>

// Sets a control of the copy page to a text unless it shows that text already: every
// file's turn names the same directory, and setting a text repaints the control and asks
// the system each time.
static void ShowText(HWND page, int id, const char *text) {
    HWND control = CopyPageControl(page, id);
    char shown[TEXT_BUFFER_SIZE + 1] = "";
    int length = GetWindowTextA(control, shown, sizeof shown);
    if (control && length < (int)sizeof shown - 1 && strcmp(shown, text) == 0)
        return;
    SetWindowTextA(control, text);
}

static void ShowCopyingOnPage(HWND page, const char *name, const char *directory) {
    ShowText(page, IDC_COPY_FILE, name);
    ShowText(page, IDC_COPY_DIRECTORY, directory);
}

// The spooler refused the driver: the system's message box, no owner, with its code.
static void ShowDriverRefusedBox(DWORD error) {
    char text[TEXT_BUFFER_SIZE];
    snprintf(text, sizeof text, "Cannot add a printer driver!\r\n(System Error Code : %d)",
             (int)error);
    MessageBoxA(NULL, text, "Add a printer error ", MB_ICONERROR);
}

// The wizard's pause: the mouse captured by the active page under the wait cursor, and
// every message that paints a window or is sent to one handled meanwhile. What a person
// types or clicks, and what is posted, stays queued for afterwards: nothing of the page
// runs again in the middle of the step that waits.
static void PauseAnswering(DWORD ms) {
    HWND captured = GetCapture();
    if (!captured)
        SetCapture(GetActiveWindow());
    HCURSOR before = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    DWORD started = GetTickCount();
    for (DWORD passed = 0; passed < ms; passed = GetTickCount() - started) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms - passed, QS_PAINT | QS_SENDMESSAGE);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageA(&message);
    }
    SetCursor(before);
    if (!captured)
        ReleaseCapture();
}

const InstallReporter g_wizardReporter = {
    ShowCopyingOnPage,
    ShowCopyError,
    ShowDriverRefusedBox,
    PauseAnswering,
};

static void ShowCopyingToNobody(HWND, const char *, const char *) {}
static void ShowCopyErrorToNobody(HWND, int) {}
static void ShowDriverRefusedToNobody(DWORD) {}
static void SleepUnseen(DWORD ms) {
    Sleep(ms);
}

const InstallReporter g_silentReporter = {
    ShowCopyingToNobody,
    ShowCopyErrorToNobody,
    ShowDriverRefusedToNobody,
    SleepUnseen,
};

const InstallReporter *g_reporter = &g_wizardReporter;
