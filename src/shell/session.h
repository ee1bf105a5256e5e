// Build constants and the one process-wide record of the wizard's state.
#pragma once

#include <windows.h>

// Texts fixed when a deliverable is built: what makes the English x64 and the
// Korean x86 program differ apart from their resources. Korean texts are
// byte strings in code page 949.
struct BuildProfile {
    const char *environment;
    const char *makerName;
    const char *copyrightLine;
    const char *wizardTitle;
    const char *windowClassName;
    const char *supportedOsX86;
    const char *supportedOsX64;
    // The port page's system message box when an earlier driver cannot be removed.
    const char *removalFailedText;
    const char *removalFailedCaption;
};

extern const BuildProfile g_profile;

struct OsProfile {
    int index;
    const char *infFileName;
    const char *vendorSection;
};

extern const OsProfile OsTable[4];

enum { TEXT_BUFFER_SIZE = 1024 };

// A "CopyFiles" value of 1023 characters parses into 1024 bytes of names and
// NULs; the list needs one more byte for the empty name that ends it.
enum { COPY_LIST_SIZE = TEXT_BUFFER_SIZE + 1 };

struct SetupSession {
    short osIndex;
    int driverVersion;
    const char *environment;
    char infPath[TEXT_BUFFER_SIZE];
    // The program's own folder, with its final backslash: where the driver files are.
    char setupFolder[TEXT_BUFFER_SIZE];
    char modelName[TEXT_BUFFER_SIZE];
    char portName[TEXT_BUFFER_SIZE];
    char copyList[COPY_LIST_SIZE];
    int fileCount;
    int copiedCount;
    int cancelRequested;
    char driverDirectory[TEXT_BUFFER_SIZE];
    char defaultDataType[TEXT_BUFFER_SIZE];
};

extern SetupSession g_session;

// Module of the running program: every dialog, string, icon and bitmap comes from it.
extern HINSTANCE g_instance;

// 1 when the running system is one the driver supports, the program running natively on
// it (not a 32-bit program on 64-bit Windows); sets osIndex and driverVersion.
int CheckPlatform();
// 1 when the program runs as a 32-bit process on 64-bit Windows (WoW64).
int RunsUnderWow64();

// Tells Windows (Vista and later) that the wizard draws itself at the screen's resolution,
// so that it is not stretched; nothing on systems without the call.
void DeclareDpiAware();
