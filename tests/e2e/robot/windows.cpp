// Finding the wizard's windows and reading and using their controls from outside.
#include "robot/robot.h"
#include "robot/internal.h"

#include <stdio.h>

namespace robot {

struct EnumState {
    DWORD pid;
    bool hidden;
    std::vector<HWND> windows;
};

static BOOL CALLBACK CollectTopWindow(HWND window, LPARAM lParam) {
    EnumState *state = (EnumState *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && (state->hidden || IsWindowVisible(window)))
        state->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> TopWindows(const Wizard &wizard, bool hidden) {
    EnumState state = {wizard.pid, hidden, {}};
    EnumWindows(CollectTopWindow, (LPARAM)&state);
    return state.windows;
}

bool HasControl(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

HWND FindWindowOf(const Wizard &wizard, const std::string &caption, int controlId) {
    for (HWND window : TopWindows(wizard)) {
        if (!caption.empty() && TextOf(window) != caption)
            continue;
        if (controlId != 0 && !HasControl(window, controlId))
            continue;
        return window;
    }
    return nullptr;
}

HWND WaitForWindow(const Wizard &wizard, const std::string &caption, int controlId,
                   DWORD timeoutMs) {
    ULONGLONG end = Now() + timeoutMs;
    for (;;) {
        HWND window = FindWindowOf(wizard, caption, controlId);
        if (window || Now() >= end)
            return window;
        Pump(kPollMs);
    }
}

HWND WaitForPage(const Wizard &wizard, int controlId, DWORD timeoutMs) {
    return WaitForWindow(wizard, "", controlId, timeoutMs);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    ULONGLONG end = Now() + timeoutMs;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (Now() >= end)
            return false;
        Pump(kPollMs);
    }
    return true;
}

HWND WaitForMessageDialog(const Wizard &wizard, DWORD timeoutMs) {
    return WaitForWindow(wizard, "", kMessageText, timeoutMs);
}

// ---- The system message box ----

struct BoxParts {
    std::string text;
    std::vector<int> buttons;
    HWND icon = nullptr;
};

static BOOL CALLBACK CollectBoxPart(HWND control, LPARAM lParam) {
    BoxParts *parts = (BoxParts *)lParam;
    if (!IsWindowVisible(control))
        return TRUE;
    std::string windowClass = ClassOf(control);
    if (lstrcmpiA(windowClass.c_str(), "Button") == 0) {
        parts->buttons.push_back(GetDlgCtrlID(control));
    } else if (lstrcmpiA(windowClass.c_str(), "Static") == 0) {
        LONG style = GetWindowLongW(control, GWL_STYLE);
        std::string text = TextOf(control);
        if ((style & SS_TYPEMASK) == SS_ICON)
            parts->icon = control;
        else if (text.size() > parts->text.size())
            parts->text = text;
    }
    return TRUE;
}

// Controls by which the wizard's own dialogs are known, so none passes for the system's box.
static const int kWizardControls[] = {kMessageText, kStatusText,  kNext,      kFinishText,
                                      kCopyBar,     kWelcomeText, kModelList, kPortList};

static bool ReadSystemMessageBox(HWND window, MessageBoxInfo *box) {
    if (ClassOf(window) != "#32770")
        return false;
    for (int id : kWizardControls)
        if (HasControl(window, id))
            return false;
    BoxParts parts;
    EnumChildWindows(window, CollectBoxPart, (LPARAM)&parts);
    if (parts.text.empty() || parts.buttons.empty())
        return false;
    box->window = window;
    box->caption = TextOf(window);
    box->text = parts.text;
    box->buttons = parts.buttons;
    box->icon = parts.icon;
    return true;
}

bool FindSystemMessageBox(const Wizard &wizard, MessageBoxInfo *box) {
    for (HWND window : TopWindows(wizard))
        if (ReadSystemMessageBox(window, box))
            return true;
    return false;
}

bool WaitForSystemMessageBox(const Wizard &wizard, MessageBoxInfo *box, DWORD timeoutMs) {
    ULONGLONG end = Now() + timeoutMs;
    for (;;) {
        if (FindSystemMessageBox(wizard, box))
            return true;
        if (Now() >= end)
            return false;
        Pump(kPollMs);
    }
}

// ---- Controls ----

std::string ClassOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return Utf8(name);
}

std::string TextOf(HWND window) {
    if (!window)
        return std::string();
    LRESULT length = SendTo(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return std::string();
    std::wstring text(length + 1, L'\0');
    LRESULT got = SendTo(window, WM_GETTEXT, length + 1, (LPARAM)&text[0]);
    return Utf8(text.c_str(), (int)got);
}

std::string ControlText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

bool IsControlVisible(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowVisible(control);
}

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

int FocusedControl(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus)
        return 0;
    if (info.hwndFocus != dialog && !IsChild(dialog, info.hwndFocus))
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

int CheckState(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return -1;
    return (int)SendTo(control, BM_GETCHECK, 0, 0, -1);
}

bool SetCheck(HWND dialog, int id, bool checked) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return false;
    SendTo(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return CheckState(dialog, id) == (checked ? BST_CHECKED : BST_UNCHECKED);
}

std::vector<std::string> ListItems(HWND dialog, int listId) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return items;
    LRESULT count = SendTo(list, LB_GETCOUNT, 0, 0, LB_ERR);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT length = SendTo(list, LB_GETTEXTLEN, i, 0, LB_ERR);
        if (length < 0) {
            items.push_back("?");
            continue;
        }
        std::wstring text(length + 1, L'\0');
        LRESULT got = SendTo(list, LB_GETTEXT, i, (LPARAM)&text[0], LB_ERR);
        items.push_back(got < 0 ? std::string("?") : Utf8(text.c_str(), (int)got));
    }
    return items;
}

int ListSelection(HWND dialog, int listId) {
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return LB_ERR;
    return (int)SendTo(list, LB_GETCURSEL, 0, 0, LB_ERR);
}

bool ListSelect(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    if (!list)
        return false;
    SendTo(list, LB_SETCURSEL, (WPARAM)index, 0, LB_ERR);
    return ListSelection(dialog, listId) == index;
}

bool Press(HWND dialog, int id) {
    // Only what a person could press: a posted command would reach the dialog whether or
    // not it shows such a button.
    HWND button = GetDlgItem(dialog, id);
    const char *refused = !button                    ? "missing"
                          : !IsWindowVisible(button) ? "hidden"
                          : !IsWindowEnabled(button) ? "disabled"
                                                     : nullptr;
    if (refused) {
        fprintf(stderr, "robot: button %d of \"%s\" is %s; not pressed\n", id,
                TextOf(dialog).c_str(), refused);
        return false;
    }
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button) != 0;
}

// The window that receives the keyboard in the wizard's thread, or the dialog itself.
static HWND KeyboardTarget(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus)
        return info.hwndFocus;
    return dialog;
}

bool PressKey(HWND dialog, UINT virtualKey) {
    HWND target = KeyboardTarget(dialog);
    UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (LPARAM)(scan << 16);
    LPARAM up = down | (LPARAM)(3u << 30);
    return PostMessageW(target, WM_KEYDOWN, virtualKey, down) &&
           PostMessageW(target, WM_KEYUP, virtualKey, up);
}

bool PressMnemonic(HWND dialog, char letter) {
    // What TranslateMessage makes of Alt+letter: a system character with the Alt bit.
    HWND target = KeyboardTarget(dialog);
    LPARAM alt = 1 | (1 << 29);
    return PostMessageW(target, WM_SYSCHAR, (WPARAM)(unsigned char)letter, alt) != 0;
}

} // namespace robot
