// Program entry: reads the command line, checks the system, creates the hidden main window
// and pumps messages until the wizard ends; or runs an unattended installation.
#include "shell/cmdline.h"
#include "shell/log.h"
#include "shell/quietrun.h"
#include "shell/sequencer.h"
#include "shell/session.h"
#include "shell/systemdlls.h"

#include <stdio.h>

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

// The usage, with what is wrong with the line above it when something is; English in
// both builds, like every text an administrator reads.
static void ShowUsage(const char *problem) {
    char text[4 * TEXT_BUFFER_SIZE];
    if (problem && *problem)
        snprintf(text, sizeof text, "The command line is wrong: %s.\r\n\r\n%s", problem,
                 UsageText());
    else
        snprintf(text, sizeof text, "%s", UsageText());
    MessageBoxA(NULL, text, g_profile.wizardTitle,
                problem && *problem ? MB_ICONERROR : MB_ICONINFORMATION);
}

// The wizard for a person. Exit code 0 whatever happens, as a person sees the outcome on
// the finish page.
static int RunWizard() {
    if (!CheckPlatform()) {
        MessageBoxA(NULL, "This Driver is not supported on this Operating System.", "Install Error",
                    MB_ICONERROR);
        return 0;
    }
    g_session.environment = g_profile.environment;
    LogLine("start", "wizard for %s, log %s, command line: %s", g_profile.environment, LogPath(),
            GetCommandLineA());
    LogLine("dlls", "%s", DllSearchDescription());
    if (!RegisterMainWindowClass())
        return 0;
    // A missing disk or drive must never bring up the system's critical-error box while
    // the driver files are copied.
    SetErrorMode(SEM_FAILCRITICALERRORS);

    // Without a window (no display, a desktop that refuses it) no timer would ever start
    // the wizard, and the loop below would wait for good.
    HWND window = CreateMainWindow();
    if (!window)
        return 0;
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

// The runtime's start-up code splits the program's name off the line byte by byte as
// signed characters, so an unquoted path with a letter above 127 ("Drucker_für_Büro", any
// Korean folder) would leave part of the path among the arguments: the platform's own
// line is split here instead.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL on the program's behalf.
    SecureDllSearch();
    g_instance = instance;
    int understood = ParseCommandLine(SkipProgramName(GetCommandLineA()), &g_arguments);
    if (g_arguments.quiet)
        return RunQuiet(understood);
    DeclareDpiAware();
    if (!understood) {
        ShowUsage(g_arguments.error);
        return EXIT_BAD_COMMAND_LINE;
    }
    if (g_arguments.help) {
        ShowUsage(NULL);
        return 0;
    }
    if (g_arguments.log[0] && !OpenLog(g_arguments.log)) {
        char text[2 * TEXT_BUFFER_SIZE];
        snprintf(text, sizeof text, "The log file cannot be opened:\r\n%s", g_arguments.log);
        MessageBoxA(NULL, text, g_profile.wizardTitle, MB_ICONERROR);
        return EXIT_LOG_UNUSABLE;
    }
    int code = RunWizard();
    CloseLog();
    return code;
}
