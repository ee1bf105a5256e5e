// Program entry: checks the system, creates the hidden main window and pumps messages
// until the wizard ends.
#include "shell/sequencer.h"
#include "shell/session.h"

// Registers the class of the hidden main window; 0 when the system refuses it.
static ATOM RegisterMainWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SequencerProc;
    windowClass.hInstance = g_instance;
    windowClass.hIcon = LoadIconA(g_instance, "IDI_SETUP");
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    windowClass.lpszClassName = g_profile.windowClassName;
    return RegisterClassA(&windowClass);
}

// Creates the main window over the whole desktop, so that dialogs centred over it appear
// centred on the screen. Its WM_CREATE starts the wizard.
static HWND CreateMainWindow() {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    return CreateWindowExA(0, g_profile.windowClassName, g_profile.wizardTitle, WS_OVERLAPPEDWINDOW,
                           desktop.left, desktop.top, desktop.right, desktop.bottom, NULL, NULL,
                           g_instance, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    if (!CheckPlatform()) {
        MessageBoxA(NULL, "This Driver is not supported on this Operating System.", "Install Error",
                    MB_ICONERROR);
        return 0;
    }
    g_session.environment = g_profile.environment;
    if (!RegisterMainWindowClass())
        return 0;
    // A missing disk or drive must never bring up the system's critical-error box while
    // the driver files are copied.
    SetErrorMode(SEM_FAILCRITICALERRORS);

    HWND window = CreateMainWindow();
    ShowWindow(window, SW_HIDE);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) != 0) {
        if (got == -1)
            return 0;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
