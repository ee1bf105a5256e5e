// The DLLs the program and the system's own DLLs load, each from the system folder only.
// LZ32.dll and WINSPOOL.DRV are not known DLLs, so they are delay-loaded (the build links
// them through delay-load import libraries) and this file hands the delay-load helper each
// one loaded by its full path. The system's DLLs load more on the program's behalf by name;
// SetDefaultDllDirectories confines those to the system folder where the system has it,
// and where it does not, they are loaded by full path before anything can ask for them.
#include "shell/systemdlls.h"

#include "install/seam.h"

#include <windows.h>

#include <delayimp.h>
#include <string.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// What the program links through the delay-load libraries.
static const char *const kDelayLoaded[] = {"LZ32.dll", "WINSPOOL.DRV"};

// What the system's DLLs load by name on the program's behalf (windows, themes, the
// compatibility and crypto layers). Some are missing on older systems.
static const char *const kLoadedByName[] = {"UXTHEME.DLL", "COMCTL32.DLL",  "DWMAPI.DLL",
                                            "USERENV.DLL", "PROPSYS.DLL",   "APPHELP.DLL",
                                            "OLEACC.DLL",  "CRYPTBASE.DLL", "VERSION.DLL"};

static char g_missing[MAX_PATH + 16];
// How a DLL named by full path has its own imports found: beside it (the altered search
// path) until the default directories are set; then by them alone, as Windows does not
// take the altered search path together with them.
static DWORD g_loadFlags = LOAD_WITH_ALTERED_SEARCH_PATH;
static const char *g_description = "not restricted";

// The full path of `name` in the system folder; 0 when it does not fit.
static int SystemLibraryPath(const char *name, char *path, size_t pathSize) {
    UINT length = GetSystemDirectoryA(path, (UINT)pathSize);
    if (length == 0 || length + 1 + strlen(name) + 1 > pathSize) {
        path[0] = '\0';
        return 0;
    }
    path[length] = '\\';
    strcpy(path + length + 1, name);
    return 1;
}

// LoadSystemLibrary: `name` from the system folder by full path, its own imports from
// the system folder too.
static HMODULE LoadSystemLibrary(const char *name, char *path, size_t pathSize) {
    if (!SystemLibraryPath(name, path, pathSize))
        return NULL;
    return LoadLibraryExA(path, NULL, g_loadFlags);
}

// The delay-load helper's notification before it loads a DLL: the DLL from the system
// folder, never the name alone. NULL (the helper then loads the name itself) only when
// that fails, which SecureDllSearch has ruled out: the run goes no further unless both
// DLLs are loaded, and they stay loaded.
static FARPROC WINAPI BeforeDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll)
        return NULL;
    char path[MAX_PATH + 16];
    return (FARPROC)LoadSystemLibrary(info->szDll, path, sizeof path);
}

// delayimp.h declares it with C linkage; this defines it, so the helper calls it from the
// first delayed call on.
PfnDliHook __pfnDliNotifyHook2 = BeforeDelayLoad;

// Cast through the generic function type, as the platform's procedure type differs from
// every real one.
typedef void (*AnyProcedure)(void);
typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD flags);
typedef BOOL(WINAPI *SetDllDirectoryProc)(const char *path);

// Where the system lacks SetDefaultDllDirectories (2000, XP, Vista, Windows 7 without its
// update): no current directory in the search where SetDllDirectoryA exists, and every DLL
// the system would look for by name is loaded now by full path, so that a later load by
// name finds it already in the process.
static void PreloadByFullPath() {
    SetDllDirectoryProc setDllDirectory =
        (SetDllDirectoryProc)(AnyProcedure)SeamKernelProcedure("SetDllDirectoryA");
    if (setDllDirectory)
        setDllDirectory("");
    for (const char *name : kLoadedByName) {
        char path[MAX_PATH + 16];
        LoadSystemLibrary(name, path, sizeof path);
    }
    g_description = setDllDirectory ? "system DLLs preloaded by full path, SetDllDirectoryA(\"\")"
                                    : "system DLLs preloaded by full path";
}

void SecureDllSearch() {
    SetDefaultDllDirectoriesProc setDefault =
        (SetDefaultDllDirectoriesProc)(AnyProcedure)SeamKernelProcedure("SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_description = "system folder only (SetDefaultDllDirectories)";
        g_loadFlags = 0;
    } else
        PreloadByFullPath();
}

// LoadSystemDlls: each is loaded once and stays; a later call finds it loaded. (Windows'
// WINSPOOL.DRV brings in more DLLs of its own, comctl32 among them, and so takes a while:
// the wizard has it loaded while its reading status shows, not before its first window.)
int LoadSystemDlls() {
    if (g_missing[0])
        return 0;
    for (const char *name : kDelayLoaded) {
        char path[MAX_PATH + 16];
        if (!SystemLibraryPath(name, path, sizeof path) ||
            !SeamLoadSystemLibrary(path, g_loadFlags)) {
            strcpy(g_missing, path[0] ? path : name);
            return 0;
        }
    }
    return 1;
}

const char *MissingSystemDll() {
    return g_missing[0] ? g_missing : NULL;
}

const char *DllSearchDescription() {
    return g_description;
}
