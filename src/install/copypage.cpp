// The copy progress page: copies every file of the copy list, one at a time, painting
// its own progress bar after each, and lets the user cancel between two files.
#include "install/install.h"
#include "install/progress.h"
#include "install/seam.h"
#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"

#include <lzexpand.h>
#include <stdio.h>

// The page's own timers: the first run starts once the page shows, and the page closes a
// second after the last file so that the full bar can be seen.
enum { TIMER_COPY_START = 3005, TIMER_COPY_CLOSE = 3006 };

// Command a run posts to have the next run start at the same file again.
enum { CMD_COPY_RETRY = COPY_RETRY };

// Navy of the filled part; COLORREF bytes run blue, green, red.
static const COLORREF NAVY = 0x800000;

// Set once a copy run has stopped on a failed file. The run it may be nested in (after a
// refused cancel) must stop as well, rather than try that file again and show a second
// message while the page is already ending.
static int g_copyStopped;

// RunCopyPage: the modal copy page over the hidden main window; 1 when every file was
// copied, 2 when cancelled or failed.
int RunCopyPage(HWND owner) {
    return (int)DialogBoxParamA(g_instance, "IDD_COPY", owner, CopyPageProc, 0);
}

// Percentage shown on the bar. An empty copy list has nothing left to copy, so it
// shows a full bar rather than the platform's -1 for a zero divisor.
static int BarPercent() {
    if (g_session.fileCount == 0)
        return 100;
    return CopyPercent(g_session.copiedCount, g_session.fileCount);
}

// One pass over the bar: fills `part` and writes the text across the whole bar, with
// `excluded` clipped away so that the other pass's colours stay. The device context is
// left as the pass found it, so both passes share one.
static void PaintBarPart(HDC dc, const RECT *whole, const RECT *part, const RECT *excluded,
                         HBRUSH brush, COLORREF textColour, const char *text) {
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, excluded->left, excluded->top, excluded->right, excluded->bottom);
    FillRect(dc, part, brush);
    SetTextColor(dc, textColour);
    SetBkMode(dc, TRANSPARENT);
    RECT textRect = *whole;
    DrawTextA(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, saved);
}

// CopyPageControl: a control of the copy page by identifier. GetDlgItem asks the system
// for the page's whole list of children each time, and the page wants three controls
// after every file; so each is kept, and used again only while it is still this page's
// child with that identifier (a page closed and a new one opened, or a handle reused,
// is looked up afresh).
HWND CopyPageControl(HWND page, int id) {
    static HWND kept[3]; // file, directory, bar: identifiers 2010 to 2012
    int slot = id - IDC_COPY_FILE;
    if (slot < 0 || slot >= 3)
        return GetDlgItem(page, id);
    HWND control = kept[slot];
    if (!control || GetParent(control) != page || GetDlgCtrlID(control) != id)
        control = kept[slot] = GetDlgItem(page, id);
    return control;
}

// PaintCopyProgress: navy up to the split, white after it, the percentage centred on
// the whole bar in white over navy and black over white.
void PaintCopyProgress(HWND page, HBRUSH navy) {
    HWND bar = CopyPageControl(page, IDC_COPY_BAR);
    if (!bar)
        return;
    RECT whole;
    GetClientRect(bar, &whole);
    int percent = BarPercent();
    int split = ProgressSplit(percent, whole.left, whole.right);
    RECT filled = {whole.left, whole.top, split, whole.bottom};
    RECT rest = {split, whole.top, whole.right, whole.bottom};
    char text[TEXT_BUFFER_SIZE];
    snprintf(text, sizeof text, "%d %%", percent);

    HDC dc = GetDC(bar);
    if (!dc)
        return;
    PaintBarPart(dc, &whole, &filled, &rest, navy, RGB(255, 255, 255), text);
    PaintBarPart(dc, &whole, &rest, &filled, (HBRUSH)GetStockObject(WHITE_BRUSH), RGB(0, 0, 0),
                 text);
    ReleaseDC(bar, dc);
}

// Hands every waiting message of the thread on, so that the page (and its Cancel
// button) answers between two files. The dialog manager's keyboard handling stays out.
static void EmptyQueue() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Whether a run must stop now: a cancel asked or confirmed, or a failure already posted.
static int CopyingHalted() {
    return g_session.cancelRequested != 0 || g_copyStopped;
}

// A copy run: copies from copiedCount to the end, painting the bar and emptying the
// queue after each file. It reports how it ended by posting a command to the page.
static void RunCopies(HWND page, HBRUSH navy) {
    LZStart();
    if (CopyingHalted()) {
        LZDone();
        return;
    }
    for (;;) {
        if (g_session.copiedCount >= g_session.fileCount) {
            LZDone();
            PostMessageA(page, WM_COMMAND, IDOK, 0);
            return;
        }
        int result = CopyOneFile(page, g_session.copiedCount);
        if (result == 0) {
            g_copyStopped = 1;
            LZDone();
            PostMessageA(page, WM_COMMAND, IDCANCEL, 1);
            return;
        }
        if (result == COPY_RETRY) {
            // copiedCount has not moved: the command starts a new run at the same file.
            LZDone();
            PostMessageA(page, WM_COMMAND, CMD_COPY_RETRY, 0);
            return;
        }
        g_session.copiedCount++;
        PaintCopyProgress(page, navy);
        EmptyQueue();
        if (CopyingHalted()) {
            LZDone();
            return;
        }
    }
}

// AdvanceCopy: with `copying` 1 a copy run, with 0 only a repaint of the bar.
void AdvanceCopy(HWND page, int copying) {
    HBRUSH navy = CreateSolidBrush(NAVY);
    if (copying == 0)
        PaintCopyProgress(page, navy);
    else if (copying == 1)
        RunCopies(page, navy);
    DeleteObject(navy);
}

static void OpenCopyPage(HWND page) {
    g_copyStopped = 0;
    StartCopyRun();
    SetFocus(GetDlgItem(page, IDCANCEL));
    SetTimer(page, TIMER_COPY_START, 100, NULL);
}

// Cancel from the button, the close box or the keyboard: copying waits while the
// question is open, and goes on from where it was when the answer is No.
static void AskToCancelCopy(HWND page) {
    g_session.cancelRequested = 1;
    if (CancelPage(page))
        return;
    g_session.cancelRequested = 0;
    AdvanceCopy(page, 1);
}

static int OnCopyCommand(HWND page, WPARAM command, LPARAM lParam) {
    switch (command) {
    case IDOK:
        SetTimer(page, TIMER_COPY_CLOSE, SeamWaitLimit("CopyPause", 1000), NULL);
        break;
    case IDCANCEL:
        // lParam 1 is a failed run's own report: its message has been shown already.
        if (lParam == 1)
            EndDialog(page, IDCANCEL);
        else
            AskToCancelCopy(page);
        break;
    case CMD_COPY_RETRY:
        AdvanceCopy(page, 1);
        break;
    }
    return 1;
}

static void OnCopyTimer(HWND page, WPARAM timer) {
    KillTimer(page, timer);
    if (timer == TIMER_COPY_START)
        AdvanceCopy(page, 1);
    else if (timer == TIMER_COPY_CLOSE)
        EndDialog(page, IDOK);
}

static const PageParts kCopyPage = {0, NULL, OpenCopyPage, OnCopyCommand};

// CopyPageProc: the page's timers and idle repaint, and what every page does.
INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        OnCopyTimer(page, wParam);
        break;
    case WM_ENTERIDLE:
        // A dialog owned by the page covers the bar and the static repaints itself
        // empty: bring the bar back while the dialog waits.
        AdvanceCopy(page, 0);
        break;
    default:
        return PageMessage(&kCopyPage, page, message, wParam, lParam);
    }
    return 0;
}
