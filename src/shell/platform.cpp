// Whether the running Windows is one the driver supports.
#include "shell/session.h"

// Supported are the NT systems 5.0, 5.1, 6.0 and 6.1 (2000, XP, Vista, 7).
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
    g_session.osIndex = osIndex;
    return 1;
}
