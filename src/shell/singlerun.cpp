// The machine-wide mutex that lets one installation run at a time. Two runs at once would
// delete each other's printer, and on Windows one could truncate a file the other is
// still expanding, or the spooler copy it half-written.
#include "shell/singlerun.h"

#include "res/resource.h"
#include "shell/log.h"
#include "shell/session.h"
#include "ui/pages.h"

// In the global namespace, so that runs in other sessions (a start-up script in session
// 0, a person's wizard, a deployment agent) see it too.
static const char RUN_MUTEX_NAME[] = "Global\\J71_Driver_Setup_Run";

// Whether this process holds the mutex already (the wizard asks at every Next of its
// model page).
static int g_holding;

// EnterSingleRun: the handle is never closed; the system releases the mutex when the
// process ends, and a run that dies leaves it abandoned, which the next run may take.
// A mutex made by another account's run may refuse this one access: it exists, so that
// run is still going.
int EnterSingleRun() {
    if (g_holding)
        return 1;
    HANDLE mutex = CreateMutexA(NULL, FALSE, RUN_MUTEX_NAME);
    if (!mutex) {
        LogLine("start",
                "another installation is in progress (its lock %s cannot be opened, "
                "error %lu)",
                RUN_MUTEX_NAME, (unsigned long)GetLastError());
        return 0;
    }
    DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return g_holding = 1;
    CloseHandle(mutex);
    LogLine("start", "another installation is in progress (it holds %s)", RUN_MUTEX_NAME);
    return 0;
}

// WizardMayRun: a wizard that merely stands open holds nothing, so that it never keeps a
// deployment waiting; from the first change it makes to the end, it holds the machine.
int WizardMayRun(HWND page) {
    if (EnterSingleRun())
        return 1;
    ShowMessageFromStrings(page, IDS_ANOTHER_RUN, IDS_CAPTION_WARNING, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
