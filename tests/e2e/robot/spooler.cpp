// What the spooler and the user's profile hold, read the way any other program would.
#include "robot/robot.h"
#include "robot/internal.h"

#include <winspool.h>

#include <algorithm>

namespace robot {

static std::string Field(const wchar_t *text) {
    return text ? Utf8(text) : std::string();
}

std::vector<std::string> Printers() {
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    const PRINTER_INFO_4W *printers = (const PRINTER_INFO_4W *)buffer.data();
    for (DWORD i = 0; i < count; i++)
        names.push_back(Field(printers[i].pPrinterName));
    return names;
}

PrinterState GetPrinterState(const std::string &name) {
    PrinterState state;
    std::wstring wide = Wide(name);
    HANDLE printer = nullptr;
    if (!OpenPrinterW(&wide[0], &printer, nullptr) || !printer)
        return state;
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (needed && GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        const PRINTER_INFO_2W *info = (const PRINTER_INFO_2W *)buffer.data();
        state.exists = true;
        state.port = Field(info->pPortName);
        state.driver = Field(info->pDriverName);
        state.processor = Field(info->pPrintProcessor);
        state.datatype = Field(info->pDatatype);
        state.attributes = info->Attributes;
    }
    ClosePrinter(printer);
    return state;
}

// Level-3 records of every driver of an environment; the buffer holds their texts.
static std::vector<BYTE> EnumDrivers(const std::string &environment, DWORD *count) {
    std::wstring wide = Wide(environment);
    DWORD needed = 0;
    *count = 0;
    EnumPrinterDriversW(nullptr, &wide[0], 3, nullptr, 0, &needed, count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 ||
        !EnumPrinterDriversW(nullptr, &wide[0], 3, buffer.data(), needed, &needed, count)) {
        *count = 0;
        buffer.clear();
    }
    return buffer;
}

std::vector<std::string> DriverNames(const std::string &environment) {
    DWORD count;
    std::vector<BYTE> buffer = EnumDrivers(environment, &count);
    const DRIVER_INFO_3W *drivers = (const DRIVER_INFO_3W *)buffer.data();
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; i++)
        names.push_back(Field(drivers[i].pName));
    return names;
}

DriverState GetDriverState(const std::string &name, const std::string &environment) {
    DWORD count;
    std::vector<BYTE> buffer = EnumDrivers(environment, &count);
    const DRIVER_INFO_3W *drivers = (const DRIVER_INFO_3W *)buffer.data();
    DriverState state;
    for (DWORD i = 0; i < count; i++) {
        const DRIVER_INFO_3W &driver = drivers[i];
        if (Field(driver.pName) != name)
            continue;
        state.exists = true;
        state.version = driver.cVersion;
        state.environment = Field(driver.pEnvironment);
        state.driverPath = Field(driver.pDriverPath);
        state.dataFile = Field(driver.pDataFile);
        state.configFile = Field(driver.pConfigFile);
        state.helpFile = Field(driver.pHelpFile);
        state.defaultDataType = Field(driver.pDefaultDataType);
        for (const wchar_t *file = driver.pDependentFiles; file && *file;
             file += lstrlenW(file) + 1)
            state.dependentFiles.push_back(Utf8(file));
        break;
    }
    return state;
}

std::vector<std::string> Ports() {
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 1, nullptr, 0, &needed, &count);
    if (needed == 0)
        return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPortsW(nullptr, 1, buffer.data(), needed, &needed, &count))
        return names;
    const PORT_INFO_1W *ports = (const PORT_INFO_1W *)buffer.data();
    for (DWORD i = 0; i < count; i++)
        names.push_back(Field(ports[i].pName));
    return names;
}

static const wchar_t kTcpMonitorKey[] =
    L"System\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port";

bool InstallTcpMonitor() {
    wchar_t system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::wstring target = std::wstring(system) + L"\\testtcpmon.dll";
    // Once there it may be loaded in this very process: it is not copied again.
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CopyFileW(Wide(BinPath("testdlls\\testtcpmon.dll")).c_str(), target.c_str(), TRUE))
        return false;
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTcpMonitorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    static const wchar_t driver[] = L"testtcpmon.dll";
    LONG status = RegSetValueExW(key, L"Driver", 0, REG_SZ, (const BYTE *)driver, sizeof driver);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void RemoveTcpMonitor() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTcpMonitorKey);
}

TcpPortRecord GetTcpPortRecord(const std::string &name) {
    TcpPortRecord record;
    HKEY key;
    std::wstring path = std::wstring(kTcpMonitorKey) + L"\\Ports\\" + Wide(name);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return record;
    record.exists = true;
    auto number = [&key](const wchar_t *value) {
        DWORD data = 0, size = sizeof data;
        RegQueryValueExW(key, value, nullptr, nullptr, (BYTE *)&data, &size);
        return data;
    };
    auto text = [&key](const wchar_t *value) {
        wchar_t data[256] = L"";
        DWORD size = sizeof data - sizeof(wchar_t);
        RegQueryValueExW(key, value, nullptr, nullptr, (BYTE *)data, &size);
        return Utf8(data);
    };
    record.protocol = number(L"Protocol");
    record.number = number(L"PortNumber");
    record.snmp = number(L"SNMP Enabled");
    record.host = text(L"HostName");
    record.queue = text(L"Queue");
    RegCloseKey(key);
    return record;
}

bool AddLocalPort(const std::string &name) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, (const BYTE *)L"", 2);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string DefaultPrinter() {
    wchar_t name[1024] = L"";
    DWORD size = 1024;
    if (!GetDefaultPrinterW(name, &size))
        return std::string();
    return Utf8(name);
}

std::string ProfileDevice() {
    wchar_t value[2048] = L"";
    GetProfileStringW(L"windows", L"device", L"", value, 2048);
    return Utf8(value);
}

std::string DriverDirectory(const std::string &environment) {
    std::wstring wide = Wide(environment);
    wchar_t directory[MAX_PATH * 2] = L"";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, environment.empty() ? nullptr : &wide[0], 1,
                                    (BYTE *)directory, sizeof directory, &needed))
        return std::string();
    std::string path = Utf8(directory);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::vector<std::string> FilesIn(const std::string &directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Utf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace robot
