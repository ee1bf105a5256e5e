// Registration of the driver and the printer with Wine's real spooler. What the spooler
// keeps is read back from it; the fields it does not keep are read from the record the
// program handed over (DRVSETUP_DRIVER_LOG).
#include <gtest/gtest.h>

#include "install/install.h"
#include "shell/session.h"
#include "win/dialog_driver.h"
#include "win/session_fixture.h"
#include "win/spooler_fixture.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using fixture::WriteBytes;

const char MODEL[] = "Zelmox J71 Test";
const char PLAIN_MODEL[] = "Zelmox J71 Plain";

// One driver record as the test seam wrote it, field by field.
typedef std::map<std::string, std::string> DriverRecord;

std::vector<DriverRecord> ReadDriverLog(const std::string &path) {
    std::vector<DriverRecord> records(1);
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "end") {
            records.emplace_back();
            continue;
        }
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            records.back()[line.substr(0, equals)] = line.substr(equals + 1);
    }
    records.pop_back();
    return records;
}

std::string BaseName(const char *path) {
    if (!path)
        return "(none)";
    std::string text = path;
    return text.substr(text.find_last_of('\\') + 1);
}

// A NUL-separated list as "a|b|", the way the log writes it; file names by base name.
std::string JoinList(const char *list, bool baseNames) {
    if (!list)
        return "(none)";
    std::string joined;
    for (const char *name = list; *name; name += strlen(name) + 1)
        joined += (baseNames ? BaseName(name) : std::string(name)) + "|";
    return joined;
}

std::string FileTimeText(const FILETIME &time) {
    return std::to_string(time.dwHighDateTime) + "," + std::to_string(time.dwLowDateTime);
}

ULONGLONG FileTimeValue(const std::string &text) {
    unsigned long high = 0, low = 0;
    sscanf(text.c_str(), "%lu,%lu", &high, &low);
    return (ULONGLONG)high << 32 | low;
}

// A system message box as the watching thread saw it.
struct Box {
    std::string caption;
    std::string text;
    HWND owner;
    bool okOnly;
};

BOOL CALLBACK FindBoxText(HWND child, LPARAM param) {
    char className[32] = "", text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && text[0])
        *(std::string *)param = text;
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
        *(HWND *)param = window;
        return FALSE;
    }
    return TRUE;
}

// The thread's visible system message box, if one is open.
HWND FindBoxOf(DWORD thread) {
    HWND box = NULL;
    EnumThreadWindows(thread, FindBox, (LPARAM)&box);
    return box;
}

// Reads a message box into `seen` and presses OK.
void AnswerBox(HWND box, std::vector<Box> *seen) {
    Box shown;
    char caption[256] = "";
    GetWindowTextA(box, caption, sizeof caption);
    shown.caption = caption;
    EnumChildWindows(box, FindBoxText, (LPARAM)&shown.text);
    shown.owner = GetWindow(box, GW_OWNER);
    shown.okOnly = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDYES) &&
                   !GetDlgItem(box, IDNO);
    seen->push_back(shown);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// Sets a file's last-write time (and different creation and access times, which must
// not be taken for it).
bool Date(const std::string &path, ULONGLONG lastWrite) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME created = {(DWORD)(lastWrite - 864000000000ULL),
                        (DWORD)((lastWrite - 864000000000ULL) >> 32)};
    FILETIME accessed = {(DWORD)(lastWrite + 864000000000ULL),
                         (DWORD)((lastWrite + 864000000000ULL) >> 32)};
    FILETIME written = {(DWORD)lastWrite, (DWORD)(lastWrite >> 32)};
    BOOL ok = SetFileTime(file, &created, &accessed, &written);
    CloseHandle(file);
    return ok != 0;
}

// 14 March 2011, 12:00 UTC, and 1 June 2012, 08:30 UTC.
const ULONGLONG kDllDate = 129445776000000000ULL;
const ULONGLONG kBesideProgramDate = 129830130000000000ULL;

// A setup folder as current directory, with its own J71.INF (read for the hardware
// ID) and J71.DLL, and a session as the pages leave it.
class RegistrationTest : public ::testing::Test {
  protected:
    std::string setup, log;
    std::vector<std::string> placed; // driver files this case put in the driver directory
    char previousDirectory[MAX_PATH] = "";

    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        setup = fixture::TempFolderName("register");
        ASSERT_TRUE(CreateDirectoryA(setup.c_str(), NULL));
        ASSERT_TRUE(fixture::EnterDirectory(setup, previousDirectory));
        WriteBytes(setup + "\\J71.INF", "[ZelmoxSystems]\r\n"
                                        "\"Zelmox J71 Test\"=J71_TEST,ZELMOXJ71_TEST_0D3A\r\n"
                                        "\"Zelmox J71 Plain\"=J71_TEST\r\n");
        WriteBytes(setup + "\\J71.DLL", "dates the driver");
        ASSERT_TRUE(Date(setup + "\\J71.DLL", kDllDate));
        log = setup + "\\driver.log";
        SetEnvironmentVariableA("DRVSETUP_DRIVER_LOG", log.c_str());
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        // The files the copy engine leaves in the driver directory before registration:
        // Windows' AddPrinterDriverA looks for the record's bare names there and refuses a
        // driver whose files are missing (Wine registers it anyway).
        char directory[MAX_PATH] = "";
        DWORD needed = 0;
        ASSERT_TRUE(GetPrinterDriverDirectoryA(NULL, (LPSTR) "Windows x64", 1, (LPBYTE)directory,
                                               sizeof directory, &needed));
        for (const char *name :
             {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "J71.GPD", "J71.DLL", "J71LASER.INI"}) {
            std::string path = std::string(directory) + "\\" + name;
            if (!fixture::Exists(path)) {
                WriteBytes(path, std::string("driver file ") + name);
                placed.push_back(path);
            }
        }

        fixture::FreshSession();
        g_session.osIndex = 3;
        snprintf(g_session.setupFolder, sizeof g_session.setupFolder, "%s\\", setup.c_str());
        snprintf(g_session.infPath, sizeof g_session.infPath, "%s\\J71.INF", setup.c_str());
        strcpy(g_session.modelName, MODEL);
        strcpy(g_session.portName, "LPT1:");
        fixture::SetCopyList(
            {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "J71.GPD", "J71.DLL", "J71LASER.INI"});
        strcpy(g_session.defaultDataType, "NT EMF 1.008");
    }

    void TearDown() override {
        SetEnvironmentVariableA("DRVSETUP_DRIVER_LOG", NULL);
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        for (const char *model : {MODEL, PLAIN_MODEL}) {
            HANDLE printer;
            // Deleting takes full access: Windows refuses it on a handle of default access.
            PRINTER_DEFAULTSA all = {NULL, NULL, PRINTER_ALL_ACCESS};
            if (OpenPrinterA((LPSTR)model, &printer, &all)) {
                DeletePrinter(printer);
                ClosePrinter(printer);
            }
            DeletePrinterDriverA(NULL, (LPSTR) "Windows x64", (LPSTR)model);
        }
        for (const char *name : {"J71.INF", "J71.DLL", "driver.log"})
            DeleteFileA((setup + "\\" + name).c_str());
        for (const std::string &path : placed)
            DeleteFileA(path.c_str());
        SetCurrentDirectoryA(previousDirectory);
        RemoveDirectoryA(setup.c_str());
    }

    // Registers while a second thread answers any message box.
    int Register(std::vector<Box> *boxes) {
        std::vector<Box> seen;
        int result = (int)drive::WhileAnswering(
            [] {
                int result = RegisterDriverAndPrinter();
                Sleep(100); // a box would have been answered by now
                return (INT_PTR)result;
            },
            FindBoxOf, [&seen](HWND box) { AnswerBox(box, &seen); });
        *boxes = seen;
        return result;
    }

    DriverRecord LastRecord() {
        std::vector<DriverRecord> records = ReadDriverLog(log);
        return records.empty() ? DriverRecord() : records.back();
    }
};

TEST_F(RegistrationTest, SpoolerHoldsTheDriverAndThePrinterAsTabled) {
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    EXPECT_TRUE(boxes.empty());

    HANDLE printer;
    ASSERT_TRUE(OpenPrinterA((LPSTR)MODEL, &printer, NULL));
    DWORD needed = 0;
    GetPrinterA(printer, 2, NULL, 0, &needed);
    std::vector<BYTE> printerBuffer(needed);
    ASSERT_TRUE(GetPrinterA(printer, 2, printerBuffer.data(), needed, &needed));
    const PRINTER_INFO_2A *info = (const PRINTER_INFO_2A *)printerBuffer.data();
    EXPECT_STREQ(MODEL, info->pPrinterName);
    EXPECT_STREQ(MODEL, info->pDriverName);
    EXPECT_STREQ("LPT1:", info->pPortName);
    EXPECT_STREQ("WinPrint", info->pPrintProcessor);
    EXPECT_STREQ("NT EMF 1.008", info->pDatatype);
    EXPECT_EQ((DWORD)PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, info->Attributes);
    EXPECT_EQ(NULL, info->pShareName);

    needed = 0;
    GetPrinterDriverA(printer, (LPSTR) "Windows x64", 6, NULL, 0, &needed);
    std::vector<BYTE> driverBuffer(needed);
    ASSERT_TRUE(
        GetPrinterDriverA(printer, (LPSTR) "Windows x64", 6, driverBuffer.data(), needed, &needed));
    const DRIVER_INFO_6A *driver = (const DRIVER_INFO_6A *)driverBuffer.data();
    EXPECT_EQ(3u, driver->cVersion);
    EXPECT_STREQ(MODEL, driver->pName);
    EXPECT_STREQ("Windows x64", driver->pEnvironment);
    EXPECT_EQ("UNIDRV.DLL", BaseName(driver->pDriverPath));
    EXPECT_EQ("J71.GPD", BaseName(driver->pDataFile));
    EXPECT_EQ("UNIDRVUI.DLL", BaseName(driver->pConfigFile));
    EXPECT_EQ("UNIDRV.HLP", BaseName(driver->pHelpFile));
    EXPECT_EQ("UNIDRV.DLL|UNIDRVUI.DLL|UNIDRV.HLP|J71.GPD|J71.DLL|J71LASER.INI|",
              JoinList(driver->pDependentFiles, true));
    EXPECT_STREQ("NT EMF 1.008", driver->pDefaultDataType);
    EXPECT_EQ(std::string(MODEL) + "|", JoinList(driver->pszzPreviousNames, false));
    ClosePrinter(printer);
}

// What the spooler does not keep, from the record the program handed to it.
TEST_F(RegistrationTest, DriverRecordCarriesHardwareIdProviderUrlAndDate) {
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    DriverRecord record = LastRecord();
    EXPECT_EQ("3", record["cVersion"]);
    EXPECT_EQ(MODEL, record["pName"]);
    EXPECT_EQ("Windows x64", record["pEnvironment"]);
    EXPECT_EQ("UNIDRV.DLL", record["pDriverPath"]);
    EXPECT_EQ("J71.GPD", record["pDataFile"]);
    EXPECT_EQ("UNIDRVUI.DLL", record["pConfigFile"]);
    EXPECT_EQ("UNIDRV.HLP", record["pHelpFile"]);
    EXPECT_EQ("UNIDRV.DLL|UNIDRVUI.DLL|UNIDRV.HLP|J71.GPD|J71.DLL|J71LASER.INI|",
              record["pDependentFiles"]);
    EXPECT_EQ("(none)", record["pMonitorName"]);
    EXPECT_EQ("NT EMF 1.008", record["pDefaultDataType"]);
    EXPECT_EQ(std::string(MODEL) + "|", record["pszzPreviousNames"]);
    EXPECT_EQ(FileTimeText({(DWORD)kDllDate, (DWORD)(kDllDate >> 32)}), record["ftDriverDate"]);
    EXPECT_EQ("0", record["dwlDriverVersion"]);
    EXPECT_EQ("(none)", record["pszMfgName"]);
    EXPECT_EQ("", record["pszOEMUrl"]);
    EXPECT_EQ("ZELMOXJ71_TEST_0D3A", record["pszHardwareID"]);
    EXPECT_EQ("Zelmox Systems", record["pszProvider"]);
}

TEST_F(RegistrationTest, ModelWithoutHardwareIdIsRegisteredWithoutOne) {
    strcpy(g_session.modelName, PLAIN_MODEL);
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    EXPECT_EQ("(none)", LastRecord()["pszHardwareID"]);
    EXPECT_TRUE(spool::PrinterExists(PLAIN_MODEL));
}

// The driver is dated by J71.DLL of the setup folder, the program's own folder, and never
// by one in the current directory (under a deployment tool, the system folder); without
// it the driver still gets a real date, the time of registration.
TEST_F(RegistrationTest, DateComesFromTheSetupFolderNeverTheCurrentDirectory) {
    const std::string elsewhere = setup + "\\elsewhere";
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), NULL));
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    WriteBytes(elsewhere + "\\J71.DLL", "a stray in the current directory");
    ASSERT_TRUE(Date(elsewhere + "\\J71.DLL", kDllDate));
    ASSERT_TRUE(Date(setup + "\\J71.DLL", kBesideProgramDate));
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    EXPECT_EQ(kBesideProgramDate, FileTimeValue(LastRecord()["ftDriverDate"]));

    DeleteFileA((setup + "\\J71.DLL").c_str());
    FILETIME before, after;
    GetSystemTimeAsFileTime(&before);
    EXPECT_EQ(1, Register(&boxes));
    GetSystemTimeAsFileTime(&after);
    ULONGLONG now = FileTimeValue(LastRecord()["ftDriverDate"]);
    EXPECT_GE(now, FileTimeValue(FileTimeText(before)));
    EXPECT_LE(now, FileTimeValue(FileTimeText(after)));
    DeleteFileA((elsewhere + "\\J71.DLL").c_str());
    SetCurrentDirectoryA(setup.c_str());
    RemoveDirectoryA(elsewhere.c_str());

    // Left to itself the session finds the setup folder as the program's own.
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, sizeof program);
    std::string beside = program;
    beside = beside.substr(0, beside.find_last_of('\\') + 1) + "J71.DLL";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(beside.c_str()))
        << "a J71.DLL already lies beside the test program";
    WriteBytes(beside, "dates the driver too");
    if (GetFileAttributesA(beside.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "cannot write beside the test program";
    bool dated = Date(beside, kBesideProgramDate + 1);
    g_session.setupFolder[0] = 0;
    EXPECT_EQ(1, Register(&boxes));
    DeleteFileA(beside.c_str());
    ASSERT_TRUE(dated);
    EXPECT_EQ(kBesideProgramDate + 1, FileTimeValue(LastRecord()["ftDriverDate"]));
}

// The dating file is found as the copy engine finds a driver file: under its compressed
// name when the plain one is missing, and while another program reads it.
TEST_F(RegistrationTest, DateFileIsFoundAsTheCopyEngineFindsDriverFiles) {
    const std::string compressed = setup + "\\J71.DL_";
    ASSERT_TRUE(MoveFileA((setup + "\\J71.DLL").c_str(), compressed.c_str()));
    ASSERT_TRUE(Date(compressed, kBesideProgramDate));
    HANDLE reader = CreateFileA(compressed.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                OPEN_EXISTING, 0, NULL);
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    CloseHandle(reader);
    DeleteFileA(compressed.c_str());
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_EQ(kBesideProgramDate, FileTimeValue(LastRecord()["ftDriverDate"]));
}

TEST_F(RegistrationTest, RefusedDriverShowsOneSystemBoxAndCreatesNoPrinter) {
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "AddPrinterDriver=1797");
    std::vector<Box> boxes;
    EXPECT_EQ(0, Register(&boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Add a printer error ", boxes[0].caption);
    EXPECT_EQ("Cannot add a printer driver!\r\n(System Error Code : 1797)", boxes[0].text);
    EXPECT_EQ(NULL, boxes[0].owner);
    EXPECT_TRUE(boxes[0].okOnly);
    EXPECT_FALSE(spool::PrinterExists(MODEL));
    EXPECT_FALSE(spool::DriverExists(MODEL));
}

TEST_F(RegistrationTest, RefusedPrinterIsSilentAndKeepsTheDriver) {
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "AddPrinter=1801");
    std::vector<Box> boxes;
    EXPECT_EQ(0, Register(&boxes));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(spool::PrinterExists(MODEL));
    EXPECT_TRUE(spool::DriverExists(MODEL));
}

// The sequencer registers twice with a removal in between; each call builds its records
// afresh from the session.
TEST_F(RegistrationTest, SecondRegistrationAfterRemovalCreatesThePrinterAgain) {
    std::vector<Box> boxes;
    EXPECT_EQ(1, Register(&boxes));
    HANDLE printer;
    PRINTER_DEFAULTSA all = {NULL, NULL, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterA((LPSTR)MODEL, &printer, &all));
    ASSERT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
    ASSERT_TRUE(DeletePrinterDriverA(NULL, (LPSTR) "Windows x64", (LPSTR)MODEL));
    EXPECT_EQ(1, Register(&boxes));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(spool::PrinterExists(MODEL));
    std::vector<DriverRecord> records = ReadDriverLog(log);
    ASSERT_EQ(2u, records.size());
    EXPECT_TRUE(records[0] == records[1]);
}

} // namespace
