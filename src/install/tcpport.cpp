// The network printer's port: a port of the platform's Standard TCP/IP port monitor, made,
// set, read and deleted through the monitor's transceive interface (XcvData) as Windows'
// own Add Port wizard and scripts do it. Nothing is changed until the run has passed every
// check that can refuse it, and a run that fails afterwards takes back what it changed.
#include "install/tcpport.h"

#include "install/install.h"
#include "install/tcpxcv.h"
#include "setupinfo/infparse.h"
#include "shell/log.h"
#include "shell/session.h"

#include <stdio.h>
#include <string.h>

static const char kMonitorObject[] = ",XcvMonitor Standard TCP/IP Port";

// How the run gets its port.
enum { PORT_USE, PORT_ADD, PORT_CONFIGURE };

// What PrepareTcpPort decided and what this run has done since: the one record of the
// port's state, so that a failure knows what to take back.
struct TcpPortPlan {
    int prepared;
    int step;
    int changed; // 1 once this run has added or set the port
    char name[TEXT_BUFFER_SIZE];
    PORT_DATA_1 wanted;
    PORT_DATA_1 earlier; // the settings a port this run sets had before
};
static TcpPortPlan g_tcpPort;

// A text of the ANSI code page widened into `out` of `count` characters; empty when it
// does not fit.
static void Widen(const char *text, WCHAR *out, int count) {
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, out, count) == 0)
        out[0] = 0;
}

// A field of a record the monitor filled, which need not end in a NUL, in the ANSI code
// page for the log.
static void Narrow(const WCHAR *field, int count, char *out, int size) {
    int length = 0;
    while (length < count && field[length])
        length++;
    int written = WideCharToMultiByte(CP_ACP, 0, field, length, out, size - 1, NULL, NULL);
    out[written > 0 ? written : 0] = '\0';
}

// The host a port record names: its host name or address, else the address alone that
// older records keep.
static void PortHost(const PORT_DATA_1 *port, char *host, int size) {
    if (port->sztHostAddress[0])
        Narrow(port->sztHostAddress, TCP_HOST_SIZE, host, size);
    else
        Narrow(port->sztIPAddress, TCPXCV_IP_ADDRESS_SIZE, host, size);
}

// Where a port record sends print jobs, for the log: "raw to HOST:NUMBER" or "LPR to HOST,
// queue QUEUE".
static void DescribePort(const PORT_DATA_1 *port, char *out, size_t size) {
    char host[4 * TCP_HOST_SIZE], queue[4 * TCP_QUEUE_SIZE];
    PortHost(port, host, sizeof host);
    Narrow(port->sztQueue, TCP_QUEUE_SIZE, queue, sizeof queue);
    if (port->dwProtocol == PROTOCOL_LPR_TYPE)
        snprintf(out, size, "LPR to %s, queue %s", host, queue);
    else if (port->dwProtocol == PROTOCOL_RAWTCP_TYPE)
        snprintf(out, size, "raw to %s:%lu", host, (unsigned long)port->dwPortNumber);
    else
        snprintf(out, size, "protocol %lu to %s", (unsigned long)port->dwProtocol, host);
}

// The record AddPort and ConfigPort take for `settings`: SNMP off, with the community and
// device index the platform's wizard fills in anyway.
static void FillPortData(const TcpPortSettings *settings, const char *name, PORT_DATA_1 *data) {
    memset(data, 0, sizeof *data);
    Widen(name, data->sztPortName, TCP_PORT_NAME_SIZE);
    data->dwVersion = 1;
    data->dwProtocol =
        settings->protocol == TCP_PROTOCOL_LPR ? PROTOCOL_LPR_TYPE : PROTOCOL_RAWTCP_TYPE;
    data->cbSize = sizeof *data;
    Widen(settings->host, data->sztHostAddress, TCP_HOST_SIZE);
    Widen("public", data->sztSNMPCommunity, TCPXCV_SNMP_COMMUNITY_SIZE);
    if (IsIpv4Address(settings->host))
        Widen(settings->host, data->sztIPAddress, TCPXCV_IP_ADDRESS_SIZE);
    Widen(settings->queue, data->sztQueue, TCP_QUEUE_SIZE);
    data->dwPortNumber = settings->number;
    data->dwSNMPEnabled = 0;
    data->dwSNMPDevIndex = 1;
}

// Whether a port record sends print jobs where `wanted` does: the same protocol to the same
// host (letter case aside, as names and addresses go), on the same number for the raw
// protocol, to the same queue for LPR. SNMP, which only asks the printer how it is, is
// left as the administrator set it.
static int SameDestination(const PORT_DATA_1 *port, const PORT_DATA_1 *wanted) {
    char host[4 * TCP_HOST_SIZE], wantedHost[4 * TCP_HOST_SIZE];
    char queue[4 * TCP_QUEUE_SIZE], wantedQueue[4 * TCP_QUEUE_SIZE];
    PortHost(port, host, sizeof host);
    Narrow(wanted->sztHostAddress, TCP_HOST_SIZE, wantedHost, sizeof wantedHost);
    Narrow(port->sztQueue, TCP_QUEUE_SIZE, queue, sizeof queue);
    Narrow(wanted->sztQueue, TCP_QUEUE_SIZE, wantedQueue, sizeof wantedQueue);
    if (port->dwProtocol != wanted->dwProtocol || lstrcmpiA(host, wantedHost) != 0)
        return 0;
    if (wanted->dwProtocol == PROTOCOL_LPR_TYPE)
        return strcmp(queue, wantedQueue) == 0;
    return port->dwPortNumber == wanted->dwPortNumber;
}

// An Xcv handle on the monitor or on one of its ports (`object` ",XcvMonitor NAME" or
// ",XcvPort NAME"), with the right to administer ports that adding, setting and deleting
// them take (the run is elevated, and the first handle it asks for proves the right);
// NULL, logged, when the spooler or the monitor refuses.
static HANDLE OpenXcv(const char *object) {
    WCHAR wide[TEXT_BUFFER_SIZE + 16];
    Widen(object, wide, TEXT_BUFFER_SIZE + 16);
    PRINTER_DEFAULTSW defaults = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = NULL;
    if (!LogCall("port", wide[0] && OpenPrinterW(wide, &xcv, &defaults),
                 "OpenPrinter \"%s\" (administer)", object))
        return NULL;
    return xcv;
}

// One XcvData command: the monitor's status, or the spooler's error when the call did not
// reach the monitor; logged either way.
static DWORD SendXcv(HANDLE xcv, const char *command, const void *input, DWORD inputSize,
                     void *output, DWORD outputSize, const char *port) {
    WCHAR name[32];
    Widen(command, name, 32);
    DWORD needed = 0, status = ERROR_SUCCESS;
    if (!XcvDataW(xcv, name, (PBYTE)input, inputSize, (PBYTE)output, outputSize, &needed,
                  &status)) {
        status = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        LogLine("port", "XcvData %s %s: failed, error %lu", command, port, (unsigned long)status);
    } else if (status != ERROR_SUCCESS) {
        LogLine("port", "XcvData %s %s: refused, status %lu", command, port, (unsigned long)status);
    } else {
        LogLine("port", "XcvData %s %s: ok", command, port);
    }
    return status;
}

// The settings of the port `name` as its monitor gives them (GetConfigInfo on the port);
// ERROR_SUCCESS only from a Standard TCP/IP port.
static DWORD ReadTcpPortConfig(const char *name, PORT_DATA_1 *config) {
    char object[TEXT_BUFFER_SIZE + 16];
    snprintf(object, sizeof object, ",XcvPort %s", name);
    HANDLE xcv = OpenXcv(object);
    if (!xcv)
        return GetLastError() ? GetLastError() : ERROR_UNKNOWN_PORT;
    CONFIG_INFO_DATA_1 info;
    memset(&info, 0, sizeof info);
    info.dwVersion = 1;
    memset(config, 0, sizeof *config);
    DWORD status = SendXcv(xcv, "GetConfigInfo", &info, sizeof info, config, sizeof *config, name);
    ClosePrinter(xcv);
    return status;
}

// One command that changes a port: AddPort to the monitor, ConfigPort and DeletePort to
// the port itself, as the platform's port dialogs send them.
static DWORD ChangePort(const char *command, const char *name, const void *data, DWORD size) {
    char object[TEXT_BUFFER_SIZE + 16];
    if (strcmp(command, "AddPort") == 0)
        snprintf(object, sizeof object, "%s", kMonitorObject);
    else
        snprintf(object, sizeof object, ",XcvPort %s", name);
    HANDLE xcv = OpenXcv(object);
    if (!xcv)
        return GetLastError() ? GetLastError() : ERROR_ACCESS_DENIED;
    DWORD status = SendXcv(xcv, command, data, size, NULL, 0, name);
    ClosePrinter(xcv);
    return status;
}

static DWORD DeleteTcpPort(const char *name) {
    DELETE_PORT_DATA_1 data;
    memset(&data, 0, sizeof data);
    Widen(name, data.psztPortName, TCP_PORT_NAME_SIZE);
    data.dwVersion = 1;
    return ChangePort("DeletePort", name, &data, sizeof data);
}

// The next name of a printer's comma-separated port list into `name`, blanks around it
// left out; 0 at the end of the list.
static int NextPortName(const char **cursor, char *name, size_t size) {
    const char *p = *cursor;
    while (*p == ',' || *p == ' ')
        p++;
    if (!*p)
        return 0;
    size_t length = 0;
    while (p[length] && p[length] != ',')
        length++;
    *cursor = p + length;
    while (length > 0 && p[length - 1] == ' ')
        length--;
    if (length >= size)
        length = size - 1;
    memcpy(name, p, length);
    name[length] = '\0';
    return 1;
}

static int PortInList(const char *list, const char *port) {
    char name[TEXT_BUFFER_SIZE];
    for (const char *cursor = list; list && NextPortName(&cursor, name, sizeof name);)
        if (lstrcmpiA(name, port) == 0)
            return 1;
    return 0;
}

// 1 when a printer other than `except` (NULL: any) prints to `port`, its name then in
// `user` (1024 bytes); also when the spooler cannot say, as the port must then stay.
static int PrinterOnPort(const char *port, const char *except, char *user) {
    DWORD count;
    int failed;
    PRINTER_INFO_2A *printers = ReadPrinterList(&count, &failed);
    if (failed) {
        LogLine("port", "EnumPrinters: failed, error %lu", (unsigned long)GetLastError());
        strcpy(user, "(the spooler cannot list its printers)");
        return 1;
    }
    int used = 0;
    for (DWORD i = 0; i < count && !used; i++) {
        const PRINTER_INFO_2A *printer = &printers[i];
        if (!printer->pPrinterName || (except && lstrcmpiA(printer->pPrinterName, except) == 0))
            continue;
        if (PortInList(printer->pPortName, port)) {
            CopyBounded(user, TEXT_BUFFER_SIZE, printer->pPrinterName);
            used = 1;
        }
    }
    if (printers)
        LocalFree(printers);
    return used;
}

// The spooler's own spelling of the port `name` into `listed` (1024 bytes): 1 when it
// lists one (letter case aside), 0 when not, -1 when it cannot say.
static int FindPortListed(const char *name, char *listed) {
    DWORD count;
    int failed;
    PORT_INFO_1A *ports = ReadPortList(&count, &failed);
    if (failed)
        return -1;
    int found = 0;
    for (DWORD i = 0; i < count && !found; i++)
        if (ports[i].pName && lstrcmpiA(ports[i].pName, name) == 0) {
            CopyBounded(listed, TEXT_BUFFER_SIZE, ports[i].pName);
            found = 1;
        }
    if (ports)
        LocalFree(ports);
    return found;
}

// PrepareTcpPort: the monitor is asked for with the right to administer before anything
// else, so that a machine without it, or an account it refuses, ends the run untouched.
int PrepareTcpPort(const TcpPortSettings *wanted, const char *model, char *portName) {
    memset(&g_tcpPort, 0, sizeof g_tcpPort);
    char name[TCP_PORT_NAME_SIZE], text[2 * TEXT_BUFFER_SIZE];
    if (!TcpPortName(wanted->host, name, sizeof name))
        return 0;
    FillPortData(wanted, name, &g_tcpPort.wanted);
    DescribePort(&g_tcpPort.wanted, text, sizeof text);
    LogLine("port", "%s: %s, SNMP off", name, text);

    HANDLE monitor = OpenXcv(kMonitorObject);
    if (!monitor) {
        LogLine("port", "the Standard TCP/IP Port monitor is missing, or refuses this account");
        return 0;
    }
    ClosePrinter(monitor);

    int listed = FindPortListed(name, g_tcpPort.name);
    if (listed < 0) {
        LogLine("port", "EnumPorts: failed, error %lu", (unsigned long)GetLastError());
        return 0;
    }
    if (!listed) {
        strcpy(g_tcpPort.name, name);
        g_tcpPort.step = PORT_ADD;
        LogLine("port", "%s is not there yet: it is made before the printer", name);
    } else {
        PORT_DATA_1 current;
        if (ReadTcpPortConfig(g_tcpPort.name, &current) != ERROR_SUCCESS) {
            LogLine("port", "%s is a port of another kind; it is left as it is", g_tcpPort.name);
            return 0;
        }
        char user[TEXT_BUFFER_SIZE];
        DescribePort(&current, text, sizeof text);
        if (SameDestination(&current, &g_tcpPort.wanted)) {
            g_tcpPort.step = PORT_USE;
            LogLine("port", "%s is there with these settings; used as it is", g_tcpPort.name);
        } else if (PrinterOnPort(g_tcpPort.name, model, user)) {
            LogLine("port",
                    "%s is there with other settings (%s) and printer \"%s\" uses it; "
                    "it is left as it is",
                    g_tcpPort.name, text, user);
            return 0;
        } else {
            g_tcpPort.step = PORT_CONFIGURE;
            g_tcpPort.earlier = current;
            g_tcpPort.earlier.dwVersion = 1;
            g_tcpPort.earlier.cbSize = sizeof current;
            LogLine("port", "%s is there with other settings (%s); it is set to these",
                    g_tcpPort.name, text);
        }
        Widen(g_tcpPort.name, g_tcpPort.wanted.sztPortName, TCP_PORT_NAME_SIZE);
    }
    g_tcpPort.prepared = 1;
    CopyBounded(portName, TEXT_BUFFER_SIZE, g_tcpPort.name);
    return 1;
}

int TcpPortStandsAsAsked() {
    return !g_tcpPort.prepared || g_tcpPort.step == PORT_USE;
}

// MakeTcpPort: nothing without /ip, or for a port used as it is.
int MakeTcpPort() {
    if (!g_tcpPort.prepared || g_tcpPort.step == PORT_USE)
        return 1;
    const char *command = g_tcpPort.step == PORT_ADD ? "AddPort" : "ConfigPort";
    if (ChangePort(command, g_tcpPort.name, &g_tcpPort.wanted, sizeof g_tcpPort.wanted) !=
        ERROR_SUCCESS)
        return 0;
    g_tcpPort.changed = 1;
    return 1;
}

// TakeBackTcpPort: a printer that stands on the port (the run failed only at the default
// printer) keeps it, as it would otherwise print nowhere.
void TakeBackTcpPort() {
    if (!g_tcpPort.changed)
        return;
    g_tcpPort.changed = 0;
    char user[TEXT_BUFFER_SIZE];
    if (PrinterOnPort(g_tcpPort.name, NULL, user)) {
        LogLine("port", "%s stays: printer \"%s\" uses it", g_tcpPort.name, user);
        return;
    }
    if (g_tcpPort.step == PORT_ADD)
        DeleteTcpPort(g_tcpPort.name);
    else
        ChangePort("ConfigPort", g_tcpPort.name, &g_tcpPort.earlier, sizeof g_tcpPort.earlier);
}

// ReadPrinterPorts: the printer's record as the spooler holds it.
void ReadPrinterPorts(const char *printer, char *ports) {
    ports[0] = '\0';
    HANDLE handle = NULL;
    if (!OpenPrinterA((LPSTR)printer, &handle, NULL))
        return;
    PRINTER_INFO_2A *record = ReadPrinterRecord(handle);
    if (record && record->pPortName)
        CopyBounded(ports, TEXT_BUFFER_SIZE, record->pPortName);
    if (record)
        LocalFree(record);
    ClosePrinter(handle);
}

// DeleteUnusedTcpPorts: a port that answers no Standard TCP/IP port's GetConfigInfo (a
// local port, another monitor's) is none of this removal's business.
int DeleteUnusedTcpPorts(const char *ports) {
    int deleted = 1;
    char name[TEXT_BUFFER_SIZE], user[TEXT_BUFFER_SIZE];
    for (const char *cursor = ports; NextPortName(&cursor, name, sizeof name);) {
        PORT_DATA_1 config;
        if (ReadTcpPortConfig(name, &config) != ERROR_SUCCESS) {
            LogLine("port", "%s is no Standard TCP/IP port; it is left as it is", name);
            continue;
        }
        if (PrinterOnPort(name, NULL, user)) {
            LogLine("port", "%s stays: printer \"%s\" uses it", name, user);
            continue;
        }
        if (DeleteTcpPort(name) != ERROR_SUCCESS)
            deleted = 0;
    }
    return deleted;
}
