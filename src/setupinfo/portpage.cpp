// The port page: the local spooler's ports, an infrared port or else COM1: chosen in
// advance. Next stores the port and clears the printer and driver an earlier
// installation of the model left behind.
#include "install/install.h"
#include "res/resource.h"
#include "setupinfo/infparse.h"
#include "setupinfo/setupinfo.h"
#include "shell/cmdline.h"
#include "shell/session.h"
#include "ui/iconlist.h"
#include "ui/pages.h"

// RunPortPage: shows the page modally over the main window and returns how it ended:
// 2001 Next, 2000 Back, 2 Cancel or failed removal, -1 when it could not be shown.
int RunPortPage(HWND owner) {
    return (int)DialogBoxParamA(g_instance, "IDD_GETPORT", owner, PortPageProc, 0);
}

// The text of entry `index` of the port list, for the choice made in advance.
static const char *PortListEntry(void *list, int index) {
    static char text[TEXT_BUFFER_SIZE];
    if (!ReadListEntry((HWND)list, LB_GETTEXTLEN, LB_GETTEXT, (WPARAM)index, text, sizeof text))
        return NULL;
    return text;
}

// Lists the ports and selects the one the command line names, else the first whose name
// begins with "IR", else the first beginning with "COM1:", else none.
static void OpenPortPage(HWND page) {
    FillIconList(page, IDC_PORT_LIST, (short)CountPorts(), GetPortName);
    HWND list = GetDlgItem(page, IDC_PORT_LIST);
    LRESULT found = LB_ERR;
    if (g_arguments.port[0])
        found = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)g_arguments.port);
    if (found == LB_ERR) {
        int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        found = PresetPortIndex(count, PortListEntry, list);
    }
    SendMessageA(list, LB_SETCURSEL, (WPARAM)found, 0);
    SetFocus(list);
}

// Next: the port is stored first; then the earlier printer and driver of the model's
// name must go, or the new driver cannot be registered and the wizard ends.
static int OnPortPageCommand(HWND page, WPARAM command, LPARAM) {
    if (command != IDC_NEXT)
        return 0;
    if (!ReadSelectedPort(page)) {
        ShowMessageFromStrings(page, IDS_SELECT_PORT, IDS_CAPTION_WARNING, MB_OK | MB_ICONHAND);
        return 1;
    }
    if (!RemoveBeforeCopy()) {
        MessageBoxA(page, g_profile.removalFailedText, g_profile.removalFailedCaption,
                    MB_ICONERROR);
        EndDialog(page, IDCANCEL);
        return 1;
    }
    EndDialog(page, IDC_NEXT);
    return 1;
}

static const PageParts kPortPage = {IDC_PORT_LIST, ChoosePortIcon, OpenPortPage, OnPortPageCommand};

INT_PTR CALLBACK PortPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return PageMessage(&kPortPage, page, message, wParam, lParam);
}
