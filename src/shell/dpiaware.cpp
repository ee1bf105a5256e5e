// The wizard draws itself at the screen's resolution: every page grows its artwork with
// the page and the icon lists make room for the system's icon size. At 150 % Windows 7
// would otherwise give a program that does not say so a 96-dpi screen and stretch its
// pixels, blurring every text.
#include "shell/session.h"

typedef BOOL(WINAPI *DpiAwareCall)(void);

// DeclareDpiAware: SetProcessDPIAware, looked up at run time since Windows 2000 and XP
// have no such call (and nothing to stretch); called before the first window is made.
void DeclareDpiAware() {
    HMODULE user = GetModuleHandleA("user32.dll");
    if (!user)
        return;
    DpiAwareCall declare = (DpiAwareCall)(void (*)(void))GetProcAddress(user, "SetProcessDPIAware");
    if (declare)
        declare();
}
