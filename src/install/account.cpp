// Which account the program runs as: a start-up script runs it as LocalSystem.
#include "install/install.h"

// IsLocalSystemAccount: compares the user of the process's token with the LocalSystem
// account (S-1-5-18), built by hand as Windows 2000 knows no well-known-SID helpers. 0
// when the token cannot be read: a refusal then never hides a person's own choice.
int IsLocalSystemAccount() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    union {
        TOKEN_USER user;
        BYTE room[256];
    } buffer;
    DWORD size = 0;
    int system = 0;
    if (GetTokenInformation(token, TokenUser, &buffer, sizeof buffer, &size)) {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID localSystem = NULL;
        if (AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                     &localSystem)) {
            system = EqualSid(buffer.user.User.Sid, localSystem) != 0;
            FreeSid(localSystem);
        }
    }
    CloseHandle(token);
    return system;
}
