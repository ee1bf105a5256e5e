// Driving the program's own modal dialogs from a second thread of the test, in the manner
// of Wine's conformance tests: the main thread runs the dialog's modal loop, the driver
// waits for the dialog, reads what it shows and posts the button that ends it.
#pragma once

#include <windows.h>

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

// Waits up to `timeoutMs` for such a dialog.
inline HWND WaitForDialog(DWORD threadId, int controlId, DWORD timeoutMs = 10000) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        if (HWND dialog = FindDialogWithControl(threadId, controlId))
            return dialog;
        Sleep(20);
    }
    return NULL;
}

inline std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ControlText(HWND dialog, int controlId) {
    return WindowText(GetDlgItem(dialog, controlId));
}

inline void Press(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, buttonId, (LPARAM)GetDlgItem(dialog, buttonId));
}

// Runs `drive` on a second thread while `run` (which opens a modal dialog) runs on this
// one; returns what `run` returned.
struct DriverThread {
    const std::function<void(DWORD threadId)> *drive;
    DWORD threadId;
};

inline INT_PTR WhileDriving(const std::function<INT_PTR()> &run,
                            const std::function<void(DWORD threadId)> &drive) {
    DriverThread state = {&drive, GetCurrentThreadId()};
    HANDLE driver = CreateThread(
        NULL, 0,
        [](LPVOID param) -> DWORD {
            DriverThread *state = (DriverThread *)param;
            (*state->drive)(state->threadId);
            return 0;
        },
        &state, 0, NULL);
    INT_PTR result = run();
    WaitForSingleObject(driver, INFINITE);
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
