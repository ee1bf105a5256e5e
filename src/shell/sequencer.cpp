// The wizard's sequence: the hidden main window opens one page per step, posting itself
// the next step, and runs the slow steps from one-shot timers.
#include "install/install.h"
#include "install/seam.h"
#include "res/resource.h"
#include "shell/log.h"
#include "shell/sequencer.h"
#include "shell/session.h"
#include "shell/systemdlls.h"
#include "ui/pages.h"

#include <stdio.h>

// The one status box that may be open, between the timer that opens it and the timer
// that destroys it.
static HWND g_statusDialog;

// Result of the latest registration: only a printer that was really created makes the
// installation a success.
static int g_printerCreated;

static void PostStep(HWND window, WPARAM step) {
    PostMessageA(window, WM_COMMAND, step, 0);
}

static void PostOutcome(HWND window, WPARAM outcome) {
    PostMessageA(window, WM_CLOSE, outcome, 0);
}

// Mouse captured and wait cursor while setup information is read or written.
static void BeginBusy(HWND window) {
    SetCapture(window);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

static void EndBusy() {
    ReleaseCapture();
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

// Opens a page for the step and posts what follows from its result; Back leads to
// `back` (0 where the page has no Back), Next to `next`, anything else ends the wizard.
static void RunPageStep(HWND window, int result, WPARAM back, WPARAM next) {
    if (result == IDC_NEXT)
        PostStep(window, next);
    else if (back && result == IDC_BACK)
        PostStep(window, back);
    else
        PostOutcome(window, OUTCOME_FAILED);
}

static void OnStep(HWND window, WPARAM step) {
    switch (step) {
    case STEP_WELCOME:
        RunPageStep(window, RunWelcomePage(window), 0, STEP_MODEL);
        break;
    case STEP_MODEL:
        RunPageStep(window, RunModelPage(window), STEP_WELCOME, STEP_PORT);
        break;
    case STEP_PORT:
        RunPageStep(window, RunPortPage(window), STEP_MODEL, STEP_COPY);
        break;
    case STEP_COPY:
        if (RunCopyPage(window) == 1)
            PostStep(window, STEP_WRITE);
        else
            PostOutcome(window, OUTCOME_FAILED);
        break;
    case STEP_WRITE:
        SetTimer(window, TIMER_FIRST_REGISTER, 100, NULL);
        BeginBusy(window);
        break;
    }
}

// The spooler's and the LZ library's DLLs, loaded while the reading status shows rather
// than before the first window: the wizard needs neither before its model page. Where one
// cannot be loaded, the system's box says so and the wizard ends before any page, with
// nothing changed. 0 then.
static int LoadWizardDlls(HWND window) {
    if (LoadSystemDlls())
        return 1;
    LogLine("dlls", "%s cannot be loaded", MissingSystemDll());
    DestroyWindow(g_statusDialog);
    g_statusDialog = NULL;
    EndBusy();
    char text[2 * TEXT_BUFFER_SIZE];
    snprintf(text, sizeof text, "A system file cannot be loaded:\r\n%s", MissingSystemDll());
    MessageBoxA(NULL, text, g_profile.wizardTitle, MB_ICONERROR);
    DestroyWindow(window);
    return 0;
}

static void OnTimer(HWND window, WPARAM timer) {
    KillTimer(window, timer);
    switch (timer) {
    case TIMER_SHOW_READING:
        BeginBusy(window);
        g_statusDialog = OpenStatusDialog(window, IDS_READING_SETUP);
        ShowWindow(g_statusDialog, SW_SHOW);
        UpdateWindow(g_statusDialog);
        SetTimer(window, TIMER_END_READING, SeamWaitLimit("ReadingPause", 1000), NULL);
        LoadWizardDlls(window);
        break;
    case TIMER_END_READING:
        DestroyWindow(g_statusDialog);
        g_statusDialog = NULL;
        EndBusy();
        InvalidateRect(window, NULL, TRUE);
        PostStep(window, STEP_WELCOME);
        break;
    case TIMER_FIRST_REGISTER:
        g_statusDialog = OpenStatusDialog(window, IDS_WRITING_SYSTEM);
        ShowWindow(g_statusDialog, SW_SHOW);
        UpdateWindow(g_statusDialog);
        g_printerCreated = RegisterDriverAndPrinter();
        SetTimer(window, TIMER_SECOND_REGISTER, SeamWaitLimit("WritingPause", 2000), NULL);
        break;
    case TIMER_SECOND_REGISTER:
        RemovePreviousInstallation();
        g_printerCreated = RegisterDriverAndPrinter();
        SetTimer(window, TIMER_END_WRITING, SeamWaitLimit("WritingPause", 2000), NULL);
        break;
    case TIMER_END_WRITING:
        DestroyWindow(g_statusDialog);
        g_statusDialog = NULL;
        // A printer that was never created is not announced as installed (nor offered
        // as the default printer).
        PostOutcome(window, g_printerCreated ? OUTCOME_INSTALLED : OUTCOME_FAILED);
        EndBusy();
        break;
    }
}

LRESULT CALLBACK SequencerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, TIMER_SHOW_READING, 100, NULL);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        LogLine("end", "the wizard ends: %s",
                wParam == OUTCOME_INSTALLED ? "installed" : "failed or cancelled");
        RunFinishPage(window, (int)wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
        OnStep(window, wParam);
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
