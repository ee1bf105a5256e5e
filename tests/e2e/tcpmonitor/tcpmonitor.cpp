// A stand-in for the platform's Standard TCP/IP port monitor, which Wine lacks: a port
// monitor DLL (InitializePrintMonitor2) that the tests register under the monitor's own
// name. It answers the transceive commands as Windows documents them for that monitor,
// with the same records and status codes, and keeps its ports where that monitor keeps
// them, under its key's Ports (with the ordinary registry calls: the registry callbacks
// Wine hands a monitor do nothing). It sends no print job anywhere.
//
// TCPMON_TEST_REFUSE=<command>=<status> in the environment of the process that loads it
// makes that command answer with that status, as a monitor refusing would.
#include "install/tcpxcv.h"

#include <windows.h>
#include <winsplp.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

const WCHAR kMonitorName[] = L"Standard TCP/IP Port";
const WCHAR kPortsKey[] =
    L"System\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";

// One transceive handle: what it was opened on (the monitor, or one port) and with what
// right.
struct XcvHandle {
    WCHAR object[TCP_PORT_NAME_SIZE + 1];
    ACCESS_MASK access;
};

bool OnTheMonitor(const XcvHandle *xcv) {
    return xcv->object[0] == 0 || wcscmp(xcv->object, kMonitorName) == 0;
}

// A text field of a record, which must end inside it and not be empty.
bool FieldText(const WCHAR *field, size_t count, WCHAR *out) {
    size_t length = 0;
    while (length < count && field[length])
        length++;
    if (length == 0 || length == count)
        return false;
    memcpy(out, field, (length + 1) * sizeof(WCHAR));
    return true;
}

HKEY OpenPort(const WCHAR *name, REGSAM access) {
    HKEY ports, port = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &ports) != ERROR_SUCCESS)
        return nullptr;
    if (RegOpenKeyExW(ports, name, 0, access, &port) != ERROR_SUCCESS)
        port = nullptr;
    RegCloseKey(ports);
    return port;
}

void SetText(HKEY key, const WCHAR *value, const WCHAR *text) {
    RegSetValueExW(key, value, 0, REG_SZ, (const BYTE *)text,
                   (DWORD)((wcslen(text) + 1) * sizeof(WCHAR)));
}

void SetNumber(HKEY key, const WCHAR *value, DWORD number) {
    RegSetValueExW(key, value, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
}

void GetText(HKEY key, const WCHAR *value, WCHAR *out, DWORD count) {
    DWORD size = (count - 1) * sizeof(WCHAR), type = 0;
    memset(out, 0, count * sizeof(WCHAR));
    if (RegQueryValueExW(key, value, nullptr, &type, (BYTE *)out, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        out[0] = 0;
}

DWORD GetNumber(HKEY key, const WCHAR *value) {
    DWORD number = 0, size = sizeof number;
    RegQueryValueExW(key, value, nullptr, nullptr, (BYTE *)&number, &size);
    return number;
}

// The checks AddPort and ConfigPort make of their record, with the documented codes.
DWORD CheckPortData(const XcvHandle *xcv, const BYTE *input, DWORD size, WCHAR *name) {
    if (!(xcv->access & SERVER_ACCESS_ADMINISTER))
        return ERROR_ACCESS_DENIED;
    if (!input)
        return ERROR_INVALID_DATA;
    if (size < sizeof(PORT_DATA_1))
        return ERROR_INVALID_PARAMETER;
    const PORT_DATA_1 *data = (const PORT_DATA_1 *)input;
    if (data->dwVersion != 1)
        return ERROR_INVALID_LEVEL;
    WCHAR host[TCP_HOST_SIZE], queue[TCP_QUEUE_SIZE];
    if (data->cbSize != sizeof(PORT_DATA_1) ||
        !FieldText(data->sztPortName, TCP_PORT_NAME_SIZE, name) ||
        !FieldText(data->sztHostAddress, TCP_HOST_SIZE, host))
        return ERROR_INVALID_PARAMETER;
    if (data->dwProtocol == PROTOCOL_RAWTCP_TYPE) {
        if (data->dwPortNumber == 0 || data->dwPortNumber > 65535)
            return ERROR_INVALID_PARAMETER;
    } else if (data->dwProtocol == PROTOCOL_LPR_TYPE) {
        if (!FieldText(data->sztQueue, TCP_QUEUE_SIZE, queue))
            return ERROR_INVALID_PARAMETER;
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    // A port handle sets only its own port.
    if (!OnTheMonitor(xcv) && lstrcmpiW(xcv->object, name) != 0)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// The port's record, as the monitor keeps it.
void WritePort(HKEY port, const PORT_DATA_1 *data) {
    WCHAR text[TCP_HOST_SIZE];
    SetNumber(port, L"Version", 1);
    SetNumber(port, L"Protocol", data->dwProtocol);
    FieldText(data->sztHostAddress, TCP_HOST_SIZE, text);
    SetText(port, L"HostName", text);
    if (!FieldText(data->sztIPAddress, TCPXCV_IP_ADDRESS_SIZE, text))
        text[0] = 0;
    SetText(port, L"IPAddress", text);
    SetNumber(port, L"PortNumber", data->dwPortNumber);
    if (!FieldText(data->sztQueue, TCP_QUEUE_SIZE, text))
        text[0] = 0;
    SetText(port, L"Queue", text);
    SetNumber(port, L"SNMP Enabled", data->dwSNMPEnabled);
    SetNumber(port, L"SNMP Index", data->dwSNMPDevIndex);
    if (!FieldText(data->sztSNMPCommunity, TCPXCV_SNMP_COMMUNITY_SIZE, text))
        text[0] = 0;
    SetText(port, L"SNMP Community", text);
    SetNumber(port, L"Double Spool", data->dwDoubleSpool);
}

DWORD AddPort(const XcvHandle *xcv, const BYTE *input, DWORD size) {
    WCHAR name[TCP_PORT_NAME_SIZE];
    DWORD status = CheckPortData(xcv, input, size, name);
    if (status != ERROR_SUCCESS)
        return status;
    if (!OnTheMonitor(xcv))
        return ERROR_INVALID_PARAMETER;
    HKEY port = OpenPort(name, KEY_READ);
    if (port) {
        RegCloseKey(port);
        return ERROR_ALREADY_EXISTS;
    }
    HKEY ports;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &ports, nullptr) != ERROR_SUCCESS)
        return ERROR_ACCESS_DENIED;
    LONG created =
        RegCreateKeyExW(ports, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &port, nullptr);
    RegCloseKey(ports);
    if (created != ERROR_SUCCESS)
        return (DWORD)created;
    WritePort(port, (const PORT_DATA_1 *)input);
    RegCloseKey(port);
    return ERROR_SUCCESS;
}

DWORD ConfigPort(const XcvHandle *xcv, const BYTE *input, DWORD size) {
    WCHAR name[TCP_PORT_NAME_SIZE];
    DWORD status = CheckPortData(xcv, input, size, name);
    if (status != ERROR_SUCCESS)
        return status;
    HKEY port = OpenPort(name, KEY_ALL_ACCESS);
    if (!port)
        return ERROR_UNKNOWN_PORT;
    WritePort(port, (const PORT_DATA_1 *)input);
    RegCloseKey(port);
    return ERROR_SUCCESS;
}

DWORD DeletePort(const XcvHandle *xcv, const BYTE *input, DWORD size) {
    if (!(xcv->access & SERVER_ACCESS_ADMINISTER))
        return ERROR_ACCESS_DENIED;
    if (!input)
        return ERROR_INVALID_DATA;
    if (size < sizeof(DELETE_PORT_DATA_1))
        return ERROR_INVALID_PARAMETER;
    const DELETE_PORT_DATA_1 *data = (const DELETE_PORT_DATA_1 *)input;
    if (data->dwVersion != 1)
        return ERROR_INVALID_LEVEL;
    WCHAR name[TCP_PORT_NAME_SIZE];
    if (!FieldText(data->psztPortName, TCP_PORT_NAME_SIZE, name))
        return ERROR_INVALID_PARAMETER;
    if (!OnTheMonitor(xcv) && lstrcmpiW(xcv->object, name) != 0)
        return ERROR_INVALID_PARAMETER;
    HKEY ports;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_ALL_ACCESS, &ports) != ERROR_SUCCESS)
        return ERROR_UNKNOWN_PORT;
    LONG deleted = RegDeleteKeyW(ports, name);
    RegCloseKey(ports);
    return deleted == ERROR_SUCCESS ? ERROR_SUCCESS : ERROR_UNKNOWN_PORT;
}

// GetConfigInfo answers on the port's own handle only: its input names no port.
DWORD GetConfigInfo(const XcvHandle *xcv, const BYTE *input, DWORD inputSize, BYTE *output,
                    DWORD outputSize, DWORD *needed) {
    if (!input)
        return ERROR_INVALID_DATA;
    if (inputSize < sizeof(CONFIG_INFO_DATA_1))
        return ERROR_INVALID_PARAMETER;
    if (((const CONFIG_INFO_DATA_1 *)input)->dwVersion != 1)
        return ERROR_INVALID_LEVEL;
    if (!output || outputSize < sizeof(PORT_DATA_1)) {
        *needed = sizeof(PORT_DATA_1);
        return ERROR_INSUFFICIENT_BUFFER;
    }
    HKEY port = OnTheMonitor(xcv) ? nullptr : OpenPort(xcv->object, KEY_READ);
    if (!port)
        return ERROR_UNKNOWN_PORT;
    PORT_DATA_1 *data = (PORT_DATA_1 *)output;
    memset(data, 0, sizeof *data);
    wcscpy(data->sztPortName, xcv->object);
    data->dwVersion = 1;
    data->cbSize = sizeof *data;
    data->dwProtocol = GetNumber(port, L"Protocol");
    GetText(port, L"HostName", data->sztHostAddress, TCP_HOST_SIZE);
    GetText(port, L"IPAddress", data->sztIPAddress, TCPXCV_IP_ADDRESS_SIZE);
    GetText(port, L"Queue", data->sztQueue, TCP_QUEUE_SIZE);
    GetText(port, L"SNMP Community", data->sztSNMPCommunity, TCPXCV_SNMP_COMMUNITY_SIZE);
    data->dwPortNumber = GetNumber(port, L"PortNumber");
    data->dwSNMPEnabled = GetNumber(port, L"SNMP Enabled");
    data->dwSNMPDevIndex = GetNumber(port, L"SNMP Index");
    data->dwDoubleSpool = GetNumber(port, L"Double Spool");
    RegCloseKey(port);
    *needed = sizeof *data;
    return ERROR_SUCCESS;
}

// The status TCPMON_TEST_REFUSE asks `command` to answer with; 0 for none.
DWORD InjectedRefusal(const WCHAR *command) {
    WCHAR setting[128];
    DWORD length = GetEnvironmentVariableW(L"TCPMON_TEST_REFUSE", setting, 128);
    if (length == 0 || length >= 128)
        return 0;
    WCHAR *equals = wcschr(setting, L'=');
    if (!equals)
        return 0;
    *equals = 0;
    return wcscmp(setting, command) == 0 ? wcstoul(equals + 1, nullptr, 10) : 0;
}

BOOL WINAPI MonitorEnumPorts(HANDLE, LPWSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                             LPDWORD returned) {
    *needed = 0;
    *returned = 0;
    if (level != 1 && level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const DWORD entry = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    const DWORD fixed = (DWORD)((wcslen(kMonitorName) + 1) * sizeof(WCHAR));
    HKEY ports;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &ports) != ERROR_SUCCESS)
        return TRUE;
    WCHAR names[64][TCP_PORT_NAME_SIZE];
    DWORD count = 0, total = 0;
    for (DWORD index = 0; count < 64; index++) {
        DWORD length = TCP_PORT_NAME_SIZE;
        if (RegEnumKeyExW(ports, index, names[count], &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        total += entry + (length + 1) * sizeof(WCHAR) + (level == 2 ? 2 * fixed : 0);
        count++;
    }
    RegCloseKey(ports);
    *needed = total;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    WCHAR *text = (WCHAR *)(buffer + count * entry);
    auto put = [&text](const WCHAR *value) {
        WCHAR *at = text;
        wcscpy(at, value);
        text += wcslen(value) + 1;
        return at;
    };
    for (DWORD i = 0; i < count; i++) {
        if (level == 1) {
            ((PORT_INFO_1W *)buffer)[i].pName = put(names[i]);
        } else {
            PORT_INFO_2W *port = &((PORT_INFO_2W *)buffer)[i];
            port->pPortName = put(names[i]);
            port->pMonitorName = put(kMonitorName);
            port->pDescription = put(kMonitorName);
            port->fPortType = PORT_TYPE_WRITE;
            port->Reserved = 0;
        }
    }
    *returned = count;
    return TRUE;
}

BOOL WINAPI MonitorXcvOpen(HANDLE, LPCWSTR object, ACCESS_MASK access, PHANDLE handle) {
    XcvHandle *xcv = (XcvHandle *)calloc(1, sizeof(XcvHandle));
    if (!xcv || !object || wcslen(object) > TCP_PORT_NAME_SIZE) {
        free(xcv);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    wcscpy(xcv->object, object);
    xcv->access = access;
    *handle = (HANDLE)xcv;
    return TRUE;
}

DWORD WINAPI MonitorXcvData(HANDLE handle, LPCWSTR command, PBYTE input, DWORD inputSize,
                            PBYTE output, DWORD outputSize, PDWORD needed) {
    const XcvHandle *xcv = (const XcvHandle *)handle;
    if (!xcv || !command || !needed)
        return ERROR_INVALID_PARAMETER;
    if (DWORD refusal = InjectedRefusal(command))
        return refusal;
    if (wcscmp(command, L"AddPort") == 0)
        return AddPort(xcv, input, inputSize);
    if (wcscmp(command, L"ConfigPort") == 0)
        return ConfigPort(xcv, input, inputSize);
    if (wcscmp(command, L"DeletePort") == 0)
        return DeletePort(xcv, input, inputSize);
    if (wcscmp(command, L"GetConfigInfo") == 0)
        return GetConfigInfo(xcv, input, inputSize, output, outputSize, needed);
    return ERROR_INVALID_PARAMETER;
}

BOOL WINAPI MonitorXcvClose(HANDLE handle) {
    free(handle);
    return TRUE;
}

VOID WINAPI MonitorShutdown(HANDLE) {}

MONITOR2 g_monitor;

} // namespace

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI
    InitializePrintMonitor2(PMONITORINIT, PHANDLE monitor) {
    memset(&g_monitor, 0, sizeof g_monitor);
    g_monitor.cbSize = sizeof g_monitor;
    g_monitor.pfnEnumPorts = MonitorEnumPorts;
    g_monitor.pfnXcvOpenPort = MonitorXcvOpen;
    g_monitor.pfnXcvDataPort = MonitorXcvData;
    g_monitor.pfnXcvClosePort = MonitorXcvClose;
    g_monitor.pfnShutdown = MonitorShutdown;
    *monitor = (HANDLE)&g_monitor;
    return &g_monitor;
}
