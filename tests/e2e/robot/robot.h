// The robot: drives the wizard from outside, from a test program in the same Wine prefix,
// the way a person would see and use it. Texts cross in UTF-8 (read with the W forms,
// since cross-process A reads come back as UTF-16). Every wait pumps this thread's
// messages and gives up after a timeout, so a stuck wizard fails a test, never hangs it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace robot {

// Control identifiers by which the robot tells the wizard's windows apart.
enum : int {
    kWelcomeText = 2037,   // welcome page: supported systems
    kModelList = 2035,     // model page
    kPortList = 2033,      // port page
    kCopyBar = 2012,       // copy page: progress bar
    kCopyFile = 2010,      // copy page: file being copied
    kCopyDirectory = 2011, // copy page: driver directory
    kFinishCheck = 2040,   // finish page: "Set as &default printer"
    kFinishText = 2005,    // finish page: outcome
    kFinishCopyright = 2038,
    kIcon = 2032,        // finish page and message dialogs: icon set at run time
    kMessageText = 4038, // the wizard's own message dialogs
    kStatusText = 2031,  // status dialog
    kNext = 2001,
    kBack = 2000,
    kOk = 1,
    kCancel = 2,
    kRetry = 4,
    kYes = 6,
    kNo = 7,
};

// Milliseconds since an arbitrary start (GetTickCount64), for loose timing checks.
ULONGLONG Now();

// Pumps this thread's messages for `ms` milliseconds.
void Pump(DWORD ms);

// How long a wait pumps before it looks again: each look asks the program under test for
// its windows and texts, and tests run four at a time on two CPUs.
constexpr DWORD kPollMs = 30;

// ---- Paths and setup folders ----

// A Unix path as the Windows side reaches it (through drive Z:).
std::string WindowsPath(const std::string &unixPath);
// The source tree and the build tree, from DRVSETUP_SOURCE and DRVSETUP_BIN, as Windows
// paths; `relative` is appended with a backslash when given ("demo", "drvsetup_x64.exe").
std::string SourcePath(const std::string &relative = "");
std::string BinPath(const std::string &relative = "");

// Creates `folder` (a Windows path such as C:\setup, parents included) and copies into it
// every plain file of `sourceFolder`, then `program` when given. False on any failure.
bool MakeSetupFolder(const std::string &folder, const std::string &sourceFolder,
                     const std::string &program = "");
bool WriteTextFile(const std::string &path, const std::string &contents);
bool ReadWholeFile(const std::string &path, std::string *contents);
bool FileExists(const std::string &path);
bool CopyOneFile(const std::string &from, const std::string &to);

// ---- The wizard's process ----

struct Wizard {
    HANDLE process = nullptr;
    DWORD pid = 0;
    DWORD mainThread = 0;
    std::string folder;    // its current directory, the setup folder
    ULONGLONG started = 0; // Now() when it was started
    HWINEVENTHOOK hook = nullptr;
};

// Starts `folder`\`program` with `folder` as its current directory. `environment` entries
// ("NAME=value", e.g. DRVSETUP_FAULTS=AddPrinter=5) are added to the wizard's environment
// only. Windows the wizard creates are recorded from the start (CreatedWindowClasses).
// `arguments` (UTF-8) follow the program's quoted path on its command line.
// `currentDirectory`, when given, is its current directory instead of `folder`.
bool StartWizard(Wizard *wizard, const std::string &folder, const std::string &program,
                 const std::vector<std::string> &environment = {},
                 const std::string &arguments = "", const std::string &currentDirectory = "");
// Starts a program by a whole command line (UTF-8) exactly as a script would write it,
// the system taking the program's name from it; `folder` is its current directory.
bool StartWithCommandLine(Wizard *wizard, const std::string &folder, const std::string &commandLine,
                          const std::vector<std::string> &environment = {});
// Waits for the wizard to end; its exit code, or STILL_ACTIVE after the timeout.
DWORD WaitForExit(Wizard *wizard, DWORD timeoutMs);
bool IsRunning(const Wizard &wizard);
// Ends a wizard that is still running (test teardown) and releases the record.
void StopWizard(Wizard *wizard);
// Window classes of every window the wizard's threads created since it started, in order;
// "?" for a window that was gone before the robot could look at it (the system message box,
// for one, destroys the buttons it does not need at once).
std::vector<std::string> CreatedWindowClasses(const Wizard &wizard);

// ---- Finding windows ----

// Top-level windows of the wizard's process: the visible ones, or all with `hidden`.
std::vector<HWND> TopWindows(const Wizard &wizard, bool hidden = false);
// The first visible top-level window of the wizard whose caption equals `caption` (any
// caption when empty) and which holds a control `controlId` (any window when 0).
HWND FindWindowOf(const Wizard &wizard, const std::string &caption, int controlId);
// Waits for such a window; null after the timeout.
HWND WaitForWindow(const Wizard &wizard, const std::string &caption, int controlId,
                   DWORD timeoutMs);
// Waits for a window of the wizard holding `controlId` (kWelcomeText, kModelList, ...).
HWND WaitForPage(const Wizard &wizard, int controlId, DWORD timeoutMs = 15000);
// Waits until `window` is destroyed or hidden. False after the timeout.
bool WaitGone(HWND window, DWORD timeoutMs = 10000);

// The wizard's own message dialog (control 4038).
HWND WaitForMessageDialog(const Wizard &wizard, DWORD timeoutMs = 10000);

// The system message box (MessageBoxA): class #32770 with a text static, no 4038.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // identifiers of its visible buttons
    HWND icon = nullptr;      // its icon static, if it shows one
};
bool FindSystemMessageBox(const Wizard &wizard, MessageBoxInfo *box);
bool WaitForSystemMessageBox(const Wizard &wizard, MessageBoxInfo *box, DWORD timeoutMs = 10000);

// ---- Reading and using controls ----

std::string ClassOf(HWND window);
std::string TextOf(HWND window);
std::string ControlText(HWND dialog, int id);
bool IsControlVisible(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
bool HasControl(HWND dialog, int id);
// Identifier of the control holding the keyboard focus of the wizard's thread (0: none).
int FocusedControl(HWND dialog);
// Check box state: BST_CHECKED, BST_UNCHECKED, or -1 when there is no such control.
int CheckState(HWND dialog, int id);
bool SetCheck(HWND dialog, int id, bool checked);

std::vector<std::string> ListItems(HWND dialog, int listId);
int ListSelection(HWND dialog, int listId);          // LB_ERR (-1) when nothing is selected
bool ListSelect(HWND dialog, int listId, int index); // no notification is sent

// Presses a button by posting its command (a sent click would block behind a modal box);
// refuses, false, a button that is missing, hidden or disabled, as a person could not press it.
bool Press(HWND dialog, int id);
// Posts a key press (VK_ESCAPE, VK_RETURN, ...) to the control that has the keyboard focus
// in the wizard, so its dialog manager handles it as typed.
bool PressKey(HWND dialog, UINT virtualKey);
// Posts Alt+`letter` (a mnemonic such as 'b' for "&Back") to the focused control.
bool PressMnemonic(HWND dialog, char letter);

// ---- Pictures ----

// Saves what the screen shows of `window` as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string &path);
// What the screen shows of a window's client area, row by row from the top, each pixel as
// 0x00RRGGBB (the COLORREF of GetSysColor has its bytes the other way round).
struct ClientPicture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const {
        return pixels[(size_t)y * width + x];
    }
};
bool CaptureClient(HWND window, ClientPicture *picture);
// Which system icon a static icon control shows: "hand", "question", "exclamation",
// "asterisk" or "application", compared against the system's own pictures; "" if none
// of them comes close.
std::string IconShown(HWND dialog, int id);
std::string IconOf(HWND iconControl);
// Waits until the icon control shows `expected` (it may not have painted yet on a busy
// machine); returns what it showed last.
std::string WaitForIcon(HWND iconControl, const std::string &expected, DWORD timeoutMs = 5000);

// ---- The Windows version the next process sees ----

// Sets HKCU\Software\Wine "Version" (win7, winxp64, win8, ...) for processes started
// from now on.
bool SetWineVersion(const std::string &version);
// The version a freshly started process sees ("6.1", "5.2", ...), asked of cmd's "ver".
std::string ProbeWindowsVersion();

// ---- The spooler ----

struct PrinterState {
    bool exists = false;
    std::string port, driver, processor, datatype;
    DWORD attributes = 0;
};
struct DriverState {
    bool exists = false;
    DWORD version = 0;
    std::string environment, driverPath, dataFile, configFile, helpFile, defaultDataType;
    std::vector<std::string> dependentFiles; // as the spooler reports them
};

std::vector<std::string> Printers();
PrinterState GetPrinterState(const std::string &name);
std::vector<std::string> DriverNames(const std::string &environment);
DriverState GetDriverState(const std::string &name, const std::string &environment);
std::vector<std::string> Ports();
// Adds a local port (e.g. "IR:") for processes started from now on.
bool AddLocalPort(const std::string &name);
// The stand-in for the Standard TCP/IP port monitor (DRVSETUP_BIN\testdlls\testtcpmon.dll,
// tests/e2e/tcpmonitor) in the system folder and registered under the monitor's name, for
// processes started from now on; RemoveTcpMonitor takes the registration and its ports away.
bool InstallTcpMonitor();
void RemoveTcpMonitor();
// A port as that monitor keeps it (its key below Monitors\Standard TCP/IP Port\Ports).
struct TcpPortRecord {
    bool exists = false;
    DWORD protocol = 0, number = 0, snmp = 0;
    std::string host, queue;
};
TcpPortRecord GetTcpPortRecord(const std::string &name);
// The default printer as GetDefaultPrinter reports it, and the raw profile entry
// ("windows", "device").
std::string DefaultPrinter();
std::string ProfileDevice();
// The spooler's printer-driver directory for an environment (empty: the default one),
// without a trailing backslash.
std::string DriverDirectory(const std::string &environment = "");
// Names of the plain files in a directory, sorted.
std::vector<std::string> FilesIn(const std::string &directory);

} // namespace robot
