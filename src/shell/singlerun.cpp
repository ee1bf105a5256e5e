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

// EnterSingleRun: the handle is never closed; the system releases the mutex when the
// process ends, and a run that dies leaves it abandoned, which the next run may take.
// A mutex made by another account's run may refuse this one access: it exists, so that
// run is still going.
int EnterSingleRun() {
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
        return 1;
    CloseHandle(mutex);
    LogLine("start", "another installation is in progress (it holds %s)", RUN_MUTEX_NAME);
    return 0;
}

// WizardMayRun: the message has no owner, as nothing of this run is on the screen yet.
int WizardMayRun() {
    if (EnterSingleRun())
        return 1;
    ShowMessageFromStrings(NULL, IDS_ANOTHER_RUN, IDS_CAPTION_WARNING, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
