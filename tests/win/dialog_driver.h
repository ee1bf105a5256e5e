// Driving the program's own modal dialogs from a second thread of the test, in the manner
// of Wine's conformance tests: the main thread runs the dialog's modal loop, the driver
// waits for the dialog, reads what it shows and posts the button that ends it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace drive {

struct FindState {
    DWORD threadId;
    int controlId;
    HWND found;
};

// An enabled, visible top-level window of the thread holding control `controlId`.
inline HWND FindDialogWithControl(DWORD threadId, int controlId) {
    FindState state = {threadId, controlId, NULL};
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM param) -> BOOL {
            FindState *state = (FindState *)param;
            if (IsWindowVisible(window) && GetDlgItem(window, state->controlId)) {
                state->found = window;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&state);
    return state.found;
}

inline std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ControlText(HWND dialog, int controlId) {
    return WindowText(GetDlgItem(dialog, controlId));
}

// One window as a line: class, identifier, visibility and text.
inline std::string DescribeWindow(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return std::string(name) + " #" + std::to_string(GetDlgCtrlID(window)) +
           (IsWindowVisible(window) ? "" : " (hidden)") +
           (IsWindowEnabled(window) ? "" : " (disabled)") + " \"" + WindowText(window) + "\"";
}

// What the thread shows: each of its top-level windows with its controls.
inline std::string DescribeThreadWindows(DWORD threadId) {
    std::string out;
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM param) -> BOOL {
            std::string &out = *(std::string *)param;
            out += "\n  " + DescribeWindow(window);
            for (HWND child = GetWindow(window, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                out += "\n    " + DescribeWindow(child);
            return TRUE;
        },
        (LPARAM)&out);
    return out.empty() ? "\n  (no window)" : out;
}

// Ends the test program at once with the failure and what was on screen: the main thread
// is stuck in a modal loop that nothing will end, and waiting for ctest's timeout would
// only hide why.
[[noreturn]] inline void Rescue(DWORD threadId, const std::string &why) {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    fprintf(stderr, "[  FAILED  ] %s.%s: dialog driver: %s; on screen:%s\n",
            test ? test->test_suite_name() : "?", test ? test->name() : "?", why.c_str(),
            DescribeThreadWindows(threadId).c_str());
    fflush(stderr);
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 1);
    for (;;)
        Sleep(INFINITE);
}

// Waits up to `timeoutMs` for such a dialog; rescues the test if none comes.
inline HWND WaitForDialog(DWORD threadId, int controlId, DWORD timeoutMs = 10000) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        if (HWND dialog = FindDialogWithControl(threadId, controlId))
            return dialog;
        Sleep(20);
    }
    Rescue(threadId, "no dialog with control " + std::to_string(controlId) + " appeared within " +
                         std::to_string(timeoutMs) + " ms");
}

// Presses a button as a person would: only one that is there, visible and enabled (a
// posted command would reach the dialog whether or not it has such a button). Returns
// false, saying why, otherwise; the dialog then stays open and the driver's rescue ends it.
inline bool Press(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    const char *refused = !button                    ? "missing"
                          : !IsWindowVisible(button) ? "hidden"
                          : !IsWindowEnabled(button) ? "disabled"
                                                     : NULL;
    if (refused) {
        fprintf(stderr, "dialog driver: button %d of \"%s\" is %s\n", buttonId,
                WindowText(dialog).c_str(), refused);
        return false;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)button);
    return true;
}

// The Escape key as the dialog manager passes it on: IDCANCEL with no control.
inline void Escape(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Runs `drive` on a second thread while `run` (which opens a modal dialog) runs on this
// one; returns what `run` returned.
// If the dialog has not ended `kEndWithinMs` after the driver's last step, the test is
// rescued with what was on screen.
struct DriverThread {
    const std::function<void(DWORD threadId)> *drive;
    DWORD threadId;
    HANDLE ended;
};
const DWORD kEndWithinMs = 10000;

inline INT_PTR WhileDriving(const std::function<INT_PTR()> &run,
                            const std::function<void(DWORD threadId)> &drive) {
    DriverThread state = {&drive, GetCurrentThreadId(), CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE driver = CreateThread(
        NULL, 0,
        [](LPVOID param) -> DWORD {
            DriverThread *state = (DriverThread *)param;
            (*state->drive)(state->threadId);
            if (WaitForSingleObject(state->ended, kEndWithinMs) != WAIT_OBJECT_0)
                Rescue(state->threadId, "the dialog did not end after the driver's last step");
            return 0;
        },
        &state, 0, NULL);
    INT_PTR result = run();
    SetEvent(state.ended);
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(state.ended);
    CloseHandle(driver);
    return result;
}

// Runs `run` on this thread while a second one answers each dialog `find` turns up on it:
// `answer` reads the dialog and presses its button, and the next dialog is looked for once
// that one has closed. Returns what `run` returned.
struct Answering {
    DWORD threadId;
    volatile LONG stop;
    const std::function<HWND(DWORD threadId)> *find;
    const std::function<void(HWND dialog)> *answer;
};

inline INT_PTR WhileAnswering(const std::function<INT_PTR()> &run,
                              const std::function<HWND(DWORD threadId)> &find,
                              const std::function<void(HWND dialog)> &answer) {
    Answering state = {GetCurrentThreadId(), 0, &find, &answer};
    HANDLE answerer = CreateThread(
        NULL, 0,
        [](LPVOID param) -> DWORD {
            Answering *state = (Answering *)param;
            while (!state->stop) {
                HWND dialog = (*state->find)(state->threadId);
                if (!dialog) {
                    Sleep(5);
                    continue;
                }
                (*state->answer)(dialog);
                while (IsWindow(dialog) && !state->stop)
                    Sleep(5);
            }
            return 0;
        },
        &state, 0, NULL);
    INT_PTR result = run();
    InterlockedExchange(&state.stop, 1);
    WaitForSingleObject(answerer, INFINITE);
    CloseHandle(answerer);
    return result;
}

// WhileAnswering for the program's own dialogs that hold control `controlId`.
inline INT_PTR WhileAnswering(const std::function<INT_PTR()> &run, int controlId,
                              const std::function<void(HWND dialog)> &answer) {
    return WhileAnswering(
        run, [controlId](DWORD threadId) { return FindDialogWithControl(threadId, controlId); },
        answer);
}

} // namespace drive
