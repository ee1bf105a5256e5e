// The robot's side of the wizard's process: setup folders, start and end, the record of
// the windows it creates, and the Windows version it is started under.
#include "robot/robot.h"
#include "robot/internal.h"

#include <algorithm>
#include <cstdio>

namespace robot {

std::wstring Wide(const std::string &utf8) {
    if (utf8.empty())
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], length);
    return wide;
}

std::string Utf8(const wchar_t *text, int length) {
    if (length < 0)
        length = lstrlenW(text);
    if (length == 0)
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result))
        return failed;
    return (LRESULT)result;
}

ULONGLONG Now() {
    return GetTickCount64();
}

void Pump(DWORD ms) {
    ULONGLONG end = Now() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        ULONGLONG now = Now();
        if (now >= end)
            return;
        DWORD wait = (DWORD)std::min<ULONGLONG>(end - now, 10);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

// ---- Paths and files ----

std::string WindowsPath(const std::string &unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

static std::string FromEnvironment(const char *name, const std::string &relative) {
    char value[2048] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value)
        return std::string();
    std::string path = WindowsPath(value);
    if (!relative.empty())
        path += "\\" + relative;
    return path;
}

std::string SourcePath(const std::string &relative) {
    return FromEnvironment("DRVSETUP_SOURCE", relative);
}

std::string BinPath(const std::string &relative) {
    return FromEnvironment("DRVSETUP_BIN", relative);
}

static bool MakeDirectories(const std::string &folder) {
    std::wstring path = Wide(folder);
    for (size_t i = 3; i <= path.size(); i++) {
        if (i < path.size() && path[i] != L'\\')
            continue;
        std::wstring part = path.substr(0, i);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

bool CopyOneFile(const std::string &from, const std::string &to) {
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

bool MakeSetupFolder(const std::string &folder, const std::string &sourceFolder,
                     const std::string &program) {
    if (!MakeDirectories(folder))
        return false;
    for (const std::string &name : FilesIn(sourceFolder)) {
        if (!CopyOneFile(sourceFolder + "\\" + name, folder + "\\" + name))
            return false;
    }
    if (program.empty())
        return true;
    std::string name = program.substr(program.find_last_of('\\') + 1);
    return CopyOneFile(program, folder + "\\" + name);
}

bool WriteTextFile(const std::string &path, const std::string &contents) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, contents.data(), (DWORD)contents.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == contents.size();
}

bool ReadWholeFile(const std::string &path, std::string *contents) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    contents->clear();
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        contents->append(block, got);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string &path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- Windows the wizard creates ----

// The out-of-context event hook reports creations asynchronously: a window may be gone
// by the time its event is handled, so the creating thread is kept as well.
struct CreatedWindow {
    DWORD thread;
    DWORD pid;
    std::string windowClass;
};
static std::vector<CreatedWindow> g_created;
static std::vector<std::pair<DWORD, DWORD>> g_watched; // (pid, main thread)

static void CALLBACK OnWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child,
                                     DWORD thread, DWORD) {
    if (object != OBJID_WINDOW || child != CHILDID_SELF)
        return;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[256] = L"";
    std::string windowClass = "?";
    if (pid != 0 && GetClassNameW(window, name, 256) > 0)
        windowClass = Utf8(name);
    if (pid == 0) {
        for (const auto &watched : g_watched)
            if (watched.second == thread)
                pid = watched.first;
    }
    g_created.push_back({thread, pid, windowClass});
}

std::vector<std::string> CreatedWindowClasses(const Wizard &wizard) {
    Pump(50);
    std::vector<std::string> classes;
    for (const CreatedWindow &window : g_created)
        if (window.pid == wizard.pid)
            classes.push_back(window.windowClass);
    return classes;
}

// ---- Start and end ----

// Sets environment entries in this process and gives back what they replaced.
static std::vector<std::pair<std::string, std::string>>
SetEnvironment(const std::vector<std::string> &entries) {
    std::vector<std::pair<std::string, std::string>> previous;
    for (const std::string &entry : entries) {
        size_t equals = entry.find('=');
        std::string name = entry.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : entry.substr(equals + 1);
        char old[4096];
        DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        previous.emplace_back(name, length > 0 && length < sizeof old ? std::string(old)
                                                                      : std::string("\x01"));
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    return previous;
}

static void RestoreEnvironment(const std::vector<std::pair<std::string, std::string>> &previous) {
    for (auto it = previous.rbegin(); it != previous.rend(); ++it)
        SetEnvironmentVariableA(it->first.c_str(),
                                it->second == "\x01" ? nullptr : it->second.c_str());
}

// Starts a process suspended in `directory`, records it as started from `folder` and
// watches the windows it makes from the start. Without `program`, the system takes the
// program's name from the line itself.
static bool Launch(Wizard *wizard, const std::wstring &program, std::wstring commandLine,
                   const std::string &folder, const std::string &directory,
                   const std::vector<std::string> &environment) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    auto previous = SetEnvironment(environment);
    // On a loaded machine Wine's process creation now and then fails with an internal error
    // before the new process has run a line of its own: that start is tried again.
    BOOL ok = FALSE;
    for (int attempt = 1; !ok && attempt <= 3; attempt++) {
        ok = CreateProcessW(program.empty() ? nullptr : program.c_str(), &commandLine[0], nullptr,
                            nullptr, FALSE, CREATE_SUSPENDED, nullptr, Wide(directory).c_str(),
                            &startup, &info);
        DWORD error = GetLastError();
        if (ok)
            break;
        fprintf(stderr, "robot: CreateProcessW(%ls) failed, error %lu\n", commandLine.c_str(),
                error);
        if (error != ERROR_INTERNAL_ERROR)
            break;
        Sleep(500);
    }
    RestoreEnvironment(previous);
    if (!ok)
        return false;
    wizard->process = info.hProcess;
    wizard->pid = info.dwProcessId;
    wizard->mainThread = info.dwThreadId;
    wizard->folder = folder;
    g_watched.emplace_back(info.dwProcessId, info.dwThreadId);
    wizard->hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                   OnWindowCreated, info.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    if (!wizard->hook) {
        // Without the hook no window the program makes would be seen, and a check that
        // it made none would pass for nothing.
        fprintf(stderr, "robot: SetWinEventHook failed, error %lu\n", GetLastError());
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        wizard->process = nullptr;
        g_watched.pop_back();
        return false;
    }
    wizard->started = Now();
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return true;
}

bool StartWizard(Wizard *wizard, const std::string &folder, const std::string &program,
                 const std::vector<std::string> &environment, const std::string &arguments,
                 const std::string &currentDirectory) {
    std::string path = folder + "\\" + program;
    std::wstring commandLine = L"\"" + Wide(path) + L"\"";
    if (!arguments.empty())
        commandLine += L" " + Wide(arguments);
    return Launch(wizard, Wide(path), commandLine, folder,
                  currentDirectory.empty() ? folder : currentDirectory, environment);
}

bool StartWithCommandLine(Wizard *wizard, const std::string &folder, const std::string &commandLine,
                          const std::vector<std::string> &environment) {
    return Launch(wizard, std::wstring(), Wide(commandLine), folder, folder, environment);
}

bool IsRunning(const Wizard &wizard) {
    return wizard.process && WaitForSingleObject(wizard.process, 0) == WAIT_TIMEOUT;
}

DWORD WaitForExit(Wizard *wizard, DWORD timeoutMs) {
    if (!wizard->process)
        return STILL_ACTIVE;
    ULONGLONG end = Now() + timeoutMs;
    while (IsRunning(*wizard) && Now() < end)
        Pump(20);
    Pump(20);
    DWORD code = STILL_ACTIVE;
    if (!IsRunning(*wizard))
        GetExitCodeProcess(wizard->process, &code);
    return code;
}

void StopWizard(Wizard *wizard) {
    if (!wizard->process)
        return;
    if (IsRunning(*wizard)) {
        TerminateProcess(wizard->process, 255);
        WaitForSingleObject(wizard->process, 5000);
    }
    if (wizard->hook)
        UnhookWinEvent(wizard->hook);
    CloseHandle(wizard->process);
    *wizard = Wizard();
}

// ---- Windows version ----

bool SetWineVersion(const std::string &version) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version.c_str(),
                                 (DWORD)version.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string ProbeWindowsVersion() {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return std::string();
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    wchar_t commandLine[] = L"cmd.exe /c ver";
    BOOL ok = CreateProcessW(nullptr, commandLine, nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    std::string output;
    if (ok) {
        char block[256];
        DWORD got;
        while (ReadFile(readEnd, block, sizeof block, &got, nullptr) && got > 0)
            output.append(block, got);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(readEnd);
    // "Microsoft Windows 6.1.7601": keep major.minor.
    size_t at = output.find_first_of("0123456789");
    if (at == std::string::npos)
        return std::string();
    size_t second = output.find('.', output.find('.', at) + 1);
    return output.substr(at, second == std::string::npos ? std::string::npos : second - at);
}

} // namespace robot
