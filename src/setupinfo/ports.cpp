// The ports of the local print spooler as the port page lists them, and the icon that
// goes with each kind of port.
#include "setupinfo/setupinfo.h"

#include "install/install.h"
#include "res/resource.h"
#include "setupinfo/infparse.h"
#include "shell/session.h"
#include "ui/iconlist.h"

#include <string.h>

// The spooler's ports at level 1 (see ReadPortList), or NULL when it has none to give.
static PORT_INFO_1A *EnumerateLocalPorts(DWORD *count) {
    int failed;
    return ReadPortList(count, &failed);
}

// CountPorts: how many ports the spooler reports now; 0 when it cannot say.
WORD CountPorts() {
    DWORD count;
    PORT_INFO_1A *ports = EnumerateLocalPorts(&count);
    if (ports)
        LocalFree(ports);
    return (WORD)count;
}

// GetPortName: the port list's item source. Each call enumerates afresh; a port that is
// gone since the count, or a failed enumeration, writes nothing. Names longer than the
// list's buffer are cut to it.
void GetPortName(unsigned index, char *out) {
    DWORD count;
    PORT_INFO_1A *ports = EnumerateLocalPorts(&count);
    if (!ports)
        return;
    if (index < count && ports[index].pName)
        CopyBounded(out, TEXT_BUFFER_SIZE, ports[index].pName);
    LocalFree(ports);
}

// ChoosePortIcon: the port list's icon chooser. `text` and `out` may be the same buffer:
// the icon is decided before anything is written.
void ChoosePortIcon(const char *text, char *out) {
    strcpy(out, PortIconName(text));
}

static const char *PortRecordName(void *context, int index) {
    return ((const PORT_INFO_1A *)context)[index].pName;
}

// FindListedPort: the port the spooler lists as `wanted` (letter case ignored, as the
// port list finds its entries), or with an empty `wanted` the one the port page chooses
// in advance; its name as the spooler spells it goes to `out` (1024 bytes). 0 when there
// is no such port.
int FindListedPort(const char *wanted, char *out) {
    DWORD count;
    PORT_INFO_1A *ports = EnumerateLocalPorts(&count);
    if (!ports)
        return 0;
    int found = -1;
    if (wanted[0]) {
        for (DWORD i = 0; i < count && found < 0; i++)
            if (ports[i].pName && lstrcmpiA(ports[i].pName, wanted) == 0)
                found = (int)i;
    } else {
        found = PresetPortIndex((int)count, PortRecordName, ports);
    }
    if (found >= 0)
        CopyBounded(out, TEXT_BUFFER_SIZE, ports[found].pName);
    LocalFree(ports);
    return found >= 0;
}

// ReadSelectedPort: stores the port selected on the port page; 0 and nothing stored when
// no port is selected.
int ReadSelectedPort(HWND page) {
    return GetSelectedListText(page, IDC_PORT_LIST, g_session.portName, sizeof g_session.portName);
}
