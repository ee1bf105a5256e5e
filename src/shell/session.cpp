// The shared records: OS table, setup session and module handle.
#include "shell/session.h"

#include "shell/cmdline.h"

const OsProfile OsTable[4] = {
    {0, "J71.INF", "ZelmoxSystems"},
    {1, "J71.INF", "ZelmoxSystems"},
    {2, "J71.INF", "ZelmoxSystems"},
    {3, "J71.INF", "ZelmoxSystems"},
};

SetupSession g_session;
HINSTANCE g_instance;
CommandLine g_arguments;
