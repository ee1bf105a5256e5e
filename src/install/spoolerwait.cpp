// Waiting for the print spooler: a start-up script runs while the Spooler service may not
// have started yet, and an administrator may have it stopped for a moment.
#include "install/install.h"

#include "install/seam.h"
#include "shell/log.h"

// The answers Windows gives while the Spooler service is stopped or starting: its RPC
// server unavailable, unknown, too busy or not yet listening, or the service not active.
static int IsSpoolerDown(DWORD error) {
    switch (error) {
    case RPC_S_SERVER_UNAVAILABLE:
    case RPC_S_SERVER_TOO_BUSY:
    case RPC_S_UNKNOWN_IF:
    case RPC_S_CALL_FAILED:
    case EPT_S_NOT_REGISTERED:
    case ERROR_SERVICE_NOT_ACTIVE:
        return 1;
    }
    return 0;
}

// WaitForSpooler: asks the spooler for the size of its port list, again every second
// while it fails as a spooler that is not up does, for up to 60 s. Any other answer,
// failure or not, is the spooler's own and ends the wait.
int WaitForSpooler() {
    DWORD limit = SeamWaitLimit("SpoolerWait", 60000);
    DWORD started = GetTickCount();
    for (int attempt = 0;; attempt++) {
        DWORD needed = 0, returned = 0;
        SetLastError(0);
        if (SeamEnumPorts(NULL, 0, &needed, &returned))
            return 1;
        DWORD error = GetLastError();
        if (!IsSpoolerDown(error)) {
            if (attempt)
                LogLine("spooler", "answers now");
            return 1;
        }
        if (GetTickCount() - started >= limit) {
            LogLine("spooler", "still cannot be reached after %lu s, error %lu",
                    (unsigned long)(limit / 1000), (unsigned long)error);
            return 0;
        }
        if (!attempt)
            LogLine("spooler", "cannot be reached, error %lu; waiting for it for up to %lu s",
                    (unsigned long)error, (unsigned long)(limit / 1000));
        Sleep(limit < 1000 ? limit / 4 + 1 : 1000);
    }
}
