// Whether the running Windows is one the driver supports.
#include "install/seam.h"
#include "shell/session.h"

typedef BOOL(WINAPI *IsWow64ProcessProc)(HANDLE process, BOOL *wow64);

// RunsUnderWow64: IsWow64Process is looked up at run time, as Windows 2000 and XP before
// SP2 have none (and run no 32-bit program under WoW64 either).
int RunsUnderWow64() {
    IsWow64ProcessProc isWow64 = (IsWow64ProcessProc)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

// Supported are the NT systems 5.0, 5.1, 6.0 and 6.1 (2000, XP, Vista, 7), each running
// this program natively. A 32-bit program on 64-bit Windows (WoW64) is not: a local printer
// needs a driver of the machine's own environment, so the spooler would take the 32-bit
// driver and refuse the printer, with the machine already changed.
int CheckPlatform() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;
    g_session.driverVersion = 3;

    short osIndex;
    if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0)
        osIndex = 0;
    else if (version.dwMajorVersion == 5 && version.dwMinorVersion == 1)
        osIndex = 1;
    else if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0)
        osIndex = 2;
    else if (version.dwMajorVersion == 6 && version.dwMinorVersion == 1)
        osIndex = 3;
    else
        return 0;
    if (SeamRunsUnderWow64())
        return 0;
    g_session.osIndex = osIndex;
    return 1;
}
