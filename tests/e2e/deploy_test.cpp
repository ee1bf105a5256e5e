// The program as deployment tools run it on many machines: one run at a time (1618), the
// unattended removal (0, 3010, 1603, 1605, 1639), a spooler that is not up yet, a run as
// LocalSystem, and the one registration of an unattended installation. Each case checks
// the spooler, the files and the default printer it leaves.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

const char kRunLock[] = "Global\\J71_Driver_Setup_Run";
const std::string kLaserModel = std::string("/model \"") + kLaser + "\"";
const char kAnotherRun[] =
    "Another installation is in progress. Wait until it has finished, then run setup again.";

size_t Count(const std::string &text, const std::string &part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

// The names of a REG_MULTI_SZ value of HKLM, empty when it is not there.
std::vector<std::string> MachineMultiString(const char *key, const char *value) {
    std::vector<std::string> names;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return names;
    DWORD size = 0, type = 0;
    if (RegQueryValueExA(opened, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size + 2, '\0');
        if (RegQueryValueExA(opened, value, nullptr, &type, (BYTE *)&data[0], &size) ==
            ERROR_SUCCESS)
            for (const char *name = data.c_str(); *name; name += strlen(name) + 1)
                names.push_back(name);
    }
    RegCloseKey(opened);
    return names;
}

// The printer's comment, as a person or a policy sets it after the installation.
bool SetPrinterComment(const char *name, const char *comment) {
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA((LPSTR)name, &printer, &defaults))
        return false;
    DWORD size = 0;
    GetPrinterA(printer, 2, nullptr, 0, &size);
    std::vector<BYTE> block(size + 1);
    bool set = size && GetPrinterA(printer, 2, block.data(), size, &size);
    if (set) {
        PRINTER_INFO_2A *record = (PRINTER_INFO_2A *)block.data();
        record->pComment = (LPSTR)comment;
        record->pSecurityDescriptor = nullptr;
        set = SetPrinterA(printer, 2, (LPBYTE)record, 0) != 0;
    }
    ClosePrinter(printer);
    return set;
}

std::string PrinterComment(const char *name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA((LPSTR)name, &printer, nullptr))
        return "(no printer)";
    DWORD size = 0;
    GetPrinterA(printer, 2, nullptr, 0, &size);
    std::vector<BYTE> block(size + 1);
    std::string comment = "(unreadable)";
    if (size && GetPrinterA(printer, 2, block.data(), size, &size)) {
        const char *text = ((PRINTER_INFO_2A *)block.data())->pComment;
        comment = text ? text : "";
    }
    ClosePrinter(printer);
    return comment;
}

// The phase of the restart test (WINE_RUN_RESTART of tests/harness/wine-run.sh): "before"
// or "after" the restart; empty in every other run.
std::string RestartPhase() {
    char phase[16] = "";
    GetEnvironmentVariableA("DRVSETUP_RESTART", phase, sizeof phase);
    return phase;
}

// Holds a file open with no sharing from another thread of this process, as another
// machine copying it from the share would, and lets go after `ms`.
struct HeldFile {
    HANDLE file, thread;
    DWORD ms;
    HeldFile(const std::string &path, DWORD ms) : ms(ms) {
        file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        thread = CreateThread(
            nullptr, 0,
            [](void *self) -> DWORD {
                Sleep(((HeldFile *)self)->ms);
                CloseHandle(((HeldFile *)self)->file);
                return 0;
            },
            this, 0, nullptr);
    }
    ~HeldFile() {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
};

class Deploy : public InstallCase {
  protected:
    void SetUp() override {
        InstallCase::SetUp();
        if (HasFatalFailure())
            return;
        MakeFolder();
        ASSERT_TRUE(CopyOneFile(BinPath("drvsetup_x64_t.exe"), folder + "\\drvsetup_x64_t.exe"));
    }

    // Runs the shipped program, or with injected faults the test build, unattended.
    DWORD Run(const std::string &arguments, const std::vector<std::string> &environment = {},
              const char *program = nullptr) {
        if (!program)
            program = environment.empty() ? "drvsetup_x64.exe" : "drvsetup_x64_t.exe";
        return RunUnattended(program, arguments, environment);
    }

    // The laser model installed on LPT1: and every one of its files in place.
    void ExpectLaserInstalled() {
        ExpectRegistered(kLaser, kEnvironment, "LPT1:", kLaserFiles);
        ExpectCopied(folder, kLaserFiles);
    }

    void InstallLaser() {
        ASSERT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:"), 0u) << Log();
        ExpectLaserInstalled();
    }
};

// A run holding the machine's lock (here the test itself, as another run would): an
// unattended installation or removal ends 1618 with nothing changed, and a person's wizard
// says so at the model page's Next, its first change, and stays there; with the lock free
// again the same Next goes on and the same line installs.
TEST_F(Deploy, WhileAnotherRunHoldsTheMachineEveryRunEndsWithNothingChanged) {
    HANDLE lock = CreateMutexA(nullptr, TRUE, kRunLock);
    ASSERT_TRUE(lock);
    ASSERT_NE(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    SpoolerState state = ReadSpooler(driverDirectory);

    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:"), 1618u);
    ExpectLogged("another installation is in progress (it holds Global\\J71_Driver_Setup_Run)");
    ExpectLogged("another installation is in progress; try again later; exit code 1618");
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 1618u);
    ExpectNothingChanged(state);

    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe"));
    HWND welcome = WaitForPage(wizard, kWelcomeText, 30000);
    ASSERT_TRUE(welcome) << "a wizard that changes nothing yet opens as usual";
    Press(welcome, kNext);
    HWND model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model);
    Press(model, kNext);
    ExpectMessage(WaitForOneOf(wizard, {Shown::kMessage, Shown::kFinish}, 30000), "Warinig",
                  kAnotherRun);
    EXPECT_TRUE(FindWindowOf(wizard, "", kModelList)) << "the model page stays";
    ExpectNothingChanged(state);

    ReleaseMutex(lock);
    CloseHandle(lock);
    Press(model, kNext);
    HWND port = WaitForPage(wizard, kPortList);
    ASSERT_TRUE(port) << "with the machine free the same Next goes on";
    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(wizard, port));
    StopWizard(&wizard);
    InstallLaser();
}

// A wizard standing open holds nothing; once past the model page it holds the machine to
// its end: an unattended run meanwhile ends 1618, and once the wizard is gone the same line
// installs.
TEST_F(Deploy, TheWizardAndAnUnattendedRunExcludeEachOther) {
    Wizard person;
    ASSERT_TRUE(StartWizard(&person, folder, "drvsetup_x64.exe"));
    HWND welcome = WaitForPage(person, kWelcomeText, 30000);
    ASSERT_TRUE(welcome);
    InstallLaser();

    Press(welcome, kNext);
    HWND model = WaitForPage(person, kModelList);
    ASSERT_TRUE(model);
    Press(model, kNext);
    HWND port = WaitForPage(person, kPortList);
    ASSERT_TRUE(port);
    SpoolerState state = ReadSpooler(driverDirectory);
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 1618u);
    ExpectNothingChanged(state);

    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(person, port));
    StopWizard(&person);
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 0u) << Log();
    InstallLaser();
}

// Two unattended installations of one model started together, round after round: each
// ends 0, or one of them 1618, never a false 1603, and the machine ends installed.
TEST_F(Deploy, TwoRunsAtOnceNeverFailFalsely) {
    int refused = 0;
    for (int round = 0; round < 5; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        Wizard runs[2];
        for (int i = 0; i < 2; i++)
            ASSERT_TRUE(StartWizard(&runs[i], folder, "drvsetup_x64.exe", {},
                                    "/quiet " + kLaserModel + " /port LPT1: /log " + folder +
                                        "\\run" + std::to_string(i) + ".log"));
        DWORD codes[2];
        for (int i = 0; i < 2; i++) {
            codes[i] = WaitForExit(&runs[i], 90000);
            StopWizard(&runs[i]);
        }
        std::string logs[2];
        for (int i = 0; i < 2; i++)
            ReadWholeFile(folder + "\\run" + std::to_string(i) + ".log", &logs[i]);
        EXPECT_TRUE(codes[0] == 0 || codes[1] == 0) << codes[0] << " and " << codes[1] << "\n"
                                                    << logs[0] << logs[1];
        for (int i = 0; i < 2; i++)
            EXPECT_TRUE(codes[i] == 0 || codes[i] == 1618) << codes[i] << "\n" << logs[i];
        refused += (codes[0] == 1618) + (codes[1] == 1618);
        ExpectLaserInstalled();
    }
    std::printf("runs refused with 1618: %d of 10\n", refused);
}

// The removal: printer, driver and the model's files in the driver directory and in its
// "3" go, the printer's key too (the deployment tools' detection rule); then nothing is
// installed, 1605, and nothing changes.
TEST_F(Deploy, UninstallRemovesPrinterDriverAndFilesThen1605) {
    InstallLaser();
    const std::string detection =
        std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\") + kLaser;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, detection.c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_EQ(Run("/quiet /uninstall /model \"zelmox j71 laser\""), 0u) << Log();
    EXPECT_FALSE(GetPrinterState(kLaser).exists);
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectDriverFiles({});
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, detection.c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    ExpectLogged("start    unattended removal for Windows x64");
    ExpectLogged("DeletePrinterDriver \"Zelmox J71 Laser\" for Windows x64: ok");
    ExpectLogged("end      removed; exit code 0");

    SpoolerState state = ReadSpooler(driverDirectory);
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 1605u);
    ExpectLogged("neither printer nor driver of the model is installed; nothing changed; exit "
                 "code 1605");
    ExpectNothingChanged(state);
}

// Files another driver of the environment names stay; so do another printer on the
// model's driver and then the driver itself (1603, the printer named in the log).
TEST_F(Deploy, UninstallKeepsWhatOthersUse) {
    InstallLaser();
    ASSERT_EQ(Run("/quiet /model \"" + std::string(kColor) + "\" /port LPT2:"), 0u) << Log();

    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 0u) << Log();
    ExpectLogged("J71.GPD is kept: driver \"Zelmox J71 Color\" uses it too");
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    EXPECT_FALSE(FileExists(driverDirectory + "\\J71LASER.INI"));
    EXPECT_FALSE(FileExists(versionDirectory + "\\J71LASER.INI"));
    ExpectRegistered(kColor, kEnvironment, "LPT2:", kColorFiles, "NT EMF 1.008");
    ExpectCopied(folder, kColorFiles);

    InstallLaser();
    PRINTER_INFO_2A second = {};
    second.pPrinterName = (LPSTR) "Second Laser";
    second.pPortName = (LPSTR) "LPT3:";
    second.pDriverName = (LPSTR)kLaser;
    second.pPrintProcessor = (LPSTR) "WinPrint";
    second.pDatatype = (LPSTR) "RAW";
    HANDLE added = AddPrinterA(nullptr, 2, (LPBYTE)&second);
    ASSERT_TRUE(added) << "AddPrinter: error " << GetLastError();
    ClosePrinter(added);
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel), 1603u);
    ExpectLogged("printer \"Second Laser\" uses driver \"Zelmox J71 Laser\"; both are kept");
    ExpectLogged("the removal failed; exit code 1603");
    EXPECT_FALSE(GetPrinterState(kLaser).exists) << "the model's own printer goes";
    EXPECT_TRUE(GetPrinterState("Second Laser").exists);
    EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectCopied(folder, kLaserFiles);
}

// A file in use goes at the next restart (3010); a refused deletion is 1603; a driver a
// deleted printer still holds is asked for again; a wrong line is 1639 with nothing
// changed. Wine deletes files in use and never refuses, so the seams do.
TEST_F(Deploy, UninstallFileInUseRefusalsAndWrongLines) {
    InstallLaser();
    SpoolerState installed = ReadSpooler(driverDirectory);
    for (const std::string wrong :
         {"/quiet /uninstall " + kLaserModel + " /default",
          "/quiet /uninstall " + kLaserModel + " /port LPT1:",
          std::string("/quiet /uninstall /model \"Zelmox J71 Scanner\"")}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(Run(wrong), 1639u);
        ExpectLogged("wrong command line; exit code 1639");
        ExpectNothingChanged(installed);
    }

    // Without /quiet a person gets the usage, which names /uninstall, and 1639.
    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe", {}, "/uninstall " + kLaserModel));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box));
    EXPECT_EQ(box.text.find("The command line is wrong: /uninstall needs /quiet."), 0u) << box.text;
    EXPECT_NE(box.text.find("/uninstall      with /quiet"), std::string::npos) << box.text;
    Press(box.window, IDOK);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 1639u);
    StopWizard(&wizard);
    ExpectNothingChanged(installed);

    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel, {"DRVSETUP_FAULTS=DeletePrinter=5"}), 1603u);
    ExpectLogged("DeletePrinter \"Zelmox J71 Laser\": failed, error 5");
    ExpectNothingChanged(installed);

    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel,
                  {"DRVSETUP_FAULTS=DeletePrinterDriver=3001;DriverInUseWait=1500"}),
              1603u);
    EXPECT_EQ(Count(Log(), "the driver is still in use; asking again"), 1u) << Log();
    EXPECT_GE(Count(Log(), "failed, error 3001"), 3u) << Log();
    EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectCopied(folder, kLaserFiles);

    // The first file the removal deletes is UNIDRV.DLL where the spooler keeps it, in "3".
    // It goes aside in its folder, and that file alone waits for the restart: the name is
    // free for an installation made before it.
    InstallLaser();
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel,
                  {"DRVSETUP_FAULTS=DeleteFile=32*1;DeletePrinterDriver=3001*2"}),
              3010u)
        << Log();
    ExpectLogged("the driver is still in use; asking again for up to 10 s");
    ExpectLogged(versionDirectory.substr(2) + "\\UNIDRV.DLL: failed, error 32");
    ExpectLogged("UNIDRV.DLL to " + versionDirectory + "\\j71");
    ExpectLogged("end      removed; files in use go at the next restart; exit code 3010");
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    for (const std::string &name : kLaserFiles)
        EXPECT_FALSE(FileExists(versionDirectory + "\\" + name) ||
                     FileExists(driverDirectory + "\\" + name))
            << name;
    std::vector<std::string> renames = MachineMultiString(
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    std::string listed;
    for (const std::string &name : renames)
        listed += name + "|";
    EXPECT_EQ(listed.find("\\UNIDRV.DLL|"), std::string::npos) << listed;
    std::vector<std::string> aside = FilesIn(versionDirectory);
    aside.erase(std::remove_if(aside.begin(), aside.end(),
                               [&](const std::string &name) {
                                   return spoolerBefore.versionFiles.count(name) ||
                                          listed.find("\\" + name + "|") == std::string::npos;
                               }),
                aside.end());
    EXPECT_EQ(aside.size(), 1u) << "the file in use, renamed aside and listed: " << listed;
}

// Before a restart, in one session (the test alive throughout): an uninstall leaves a file
// in use to the restart (3010), and the same model is installed again. The restart itself,
// a new session of the prefix, is made by the test run (e2e.deploy_restart).
TEST_F(Deploy, RestartBeforeAFileInUseAndAnInstallationAfterIt) {
    if (RestartPhase() != "before")
        GTEST_SKIP() << "a phase of e2e.deploy_restart";
    InstallLaser();
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel, {"DRVSETUP_FAULTS=DeleteFile=32*1"}), 3010u)
        << Log();
    InstallLaser();
    // Left as it is for after the restart.
    spoolerBefore = ReadSpooler(driverDirectory);
}

// After that restart the installation is whole: every file in place, and a second run
// finds nothing to do.
TEST_F(Deploy, RestartAfterTheInstallationIsWhole) {
    if (RestartPhase() != "after")
        GTEST_SKIP() << "a phase of e2e.deploy_restart";
    ExpectLaserInstalled();
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:"), 0u) << Log();
    ExpectLogged("already installed; nothing changed; exit code 0");
}

// A spooler that answers only after a while is waited for, once logged; one that never
// answers is 1603 with that reason, nothing changed. A port it really does not list stays
// a wrong command line (the Quiet cases).
TEST_F(Deploy, ASpoolerNotUpYetIsWaitedFor) {
    SpoolerState state = ReadSpooler(driverDirectory);
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:",
                  {"DRVSETUP_FAULTS=EnumPorts=1722;SpoolerWait=2500"}),
              1603u);
    ExpectLogged("spooler  cannot be reached, error 1722; waiting for it for up to 2 s");
    ExpectLogged("the print spooler cannot be reached; exit code 1603");
    ExpectNothingChanged(state);

    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:", {"DRVSETUP_FAULTS=EnumPorts=1722*3"}),
              0u)
        << Log();
    EXPECT_EQ(Count(Log(), "cannot be reached"), 1u) << Log();
    ExpectLogged("spooler  answers now");
    ExpectLaserInstalled();
}

// As LocalSystem, /default would set no person's default printer: refused, nothing
// changed; the same run without /default installs.
TEST_F(Deploy, DefaultAsLocalSystemIsRefused) {
    SpoolerState state = ReadSpooler(driverDirectory);
    EXPECT_EQ(
        Run("/quiet " + kLaserModel + " /port LPT1: /default", {"DRVSETUP_FAULTS=LocalSystem=1"}),
        1639u);
    ExpectLogged("/default in a run as LocalSystem would set that account's default printer");
    ExpectNothingChanged(state);
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:", {"DRVSETUP_FAULTS=LocalSystem=1"}), 0u);
    ExpectLaserInstalled();
    EXPECT_EQ(ProfileDevice(), deviceBefore);
}

// The unattended run registers once; replacing an installation (on another port here) whose
// printer something still holds open, it asks for the driver's deletion again until the
// spooler lets go.
TEST_F(Deploy, UnattendedRegistersOnceAndWaitsForAHeldDriver) {
    InstallLaser();
    EXPECT_EQ(Count(Log(), "AddPrinterDriver \""), 1u) << Log();
    EXPECT_EQ(Count(Log(), "AddPrinter \""), 1u) << Log();
    EXPECT_EQ(Count(Log(), "DeletePrinterDriver"), 0u) << "nothing to remove on a clean machine";

    // The model's printer survives the model step (as a printer pending deletion would
    // not be found there), so the removal before the copy deletes printer and driver.
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT2:",
                  {"DRVSETUP_FAULTS=DeletePrinter=5*1;DeletePrinterDriver=3001*3"}),
              0u)
        << Log();
    EXPECT_EQ(Count(Log(), "DeletePrinterDriver \"Zelmox J71 Laser\" for Windows x64: failed, "
                           "error 3001"),
              3u);
    ExpectLogged("DeletePrinterDriver \"Zelmox J71 Laser\" for Windows x64: ok");
    EXPECT_EQ(Count(Log(), "AddPrinterDriver \""), 1u);
    ExpectRegistered(kLaser, kEnvironment, "LPT2:", kLaserFiles);
    ExpectCopied(folder, kLaserFiles);
}

// The wizard's removal before the copy waits for a held driver as well, and its port page
// keeps answering meanwhile (Vista and 7 would call a page that does not "Not Responding"
// and offer to close it between the printer's deletion and the copy).
TEST_F(Deploy, TheWizardWaitsForAHeldDriverToo) {
    InstallLaser();
    Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=DeletePrinter=5*1;DeletePrinterDriver=3001*12"});
    WalkToCopy();
    HWND port = FindWindowOf(wizard, "", kPortList);
    ASSERT_TRUE(port);
    Pump(500);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(FindWindowOf(wizard, "", kPortList)) << "the wait is over too soon to look";
    EXPECT_TRUE(SendMessageTimeoutW(port, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &answer))
        << "the port page does not answer while it waits";
    Sight sight = NextSight(wizard);
    ExpectFinish(sight, kSucceeded);
    ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles);
}

// A second run of the same line over a whole installation ends 0 at once with nothing
// touched: the printer's settings survive. Anything short of whole takes the installing
// road: a file in "3" that is not what the setup folder's expands to, a printer pending
// deletion, another port (no /port: the one the port page would choose).
TEST_F(Deploy, ASecondRunChangesNothing) {
    InstallLaser();
    ASSERT_TRUE(SetPrinterComment(kLaser, "Third floor, by policy"));
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port lpt1:"), 0u) << Log();
    ExpectLogged("as the setup folder has them: already installed");
    ExpectLogged("end      already installed; nothing changed; exit code 0");
    for (const char *touched : {"DeletePrinter", "AddPrinter", " -> ", "MoveFile"})
        EXPECT_EQ(Count(Log(), touched), 0u) << touched << "\n" << Log();
    EXPECT_EQ(PrinterComment(kLaser), "Third floor, by policy");
    ExpectLaserInstalled();

    struct {
        const char *change, *arguments, *faults, *logged, *port;
    } notWhole[] = {
        {"a file differs", " /port LPT1:", "", "J71LASER.INI differs", "LPT1:"},
        {"pending deletion", " /port LPT1:", "DRVSETUP_FAULTS=PendingDeletion=1*1",
         "is pending deletion", "LPT1:"},
        {"another port", "", "", "printer \"Zelmox J71 Laser\" is on another port", "COM1:"},
    };
    for (const auto &c : notWhole) {
        SCOPED_TRACE(c.change);
        if (std::string(c.change) == "a file differs") {
            // One byte other, the size the same.
            std::string text;
            ASSERT_TRUE(ReadWholeFile(versionDirectory + "\\J71LASER.INI", &text));
            text[text.size() / 2] ^= 1;
            ASSERT_TRUE(WriteTextFile(versionDirectory + "\\J71LASER.INI", text));
        }
        std::vector<std::string> faults;
        if (*c.faults)
            faults.push_back(c.faults);
        EXPECT_EQ(Run("/quiet " + kLaserModel + c.arguments, faults), 0u) << Log();
        ExpectLogged(c.logged);
        ExpectLogged("end      installed; exit code 0");
        ExpectRegistered(kLaser, kEnvironment, c.port, kLaserFiles);
        ExpectCopied(folder, kLaserFiles);
    }
}

// Where Windows' spooler moves the driver's files out of the driver directory into "3"
// (the test build emulates it), the installation still succeeds, a second run finds it
// whole and the removal finds its files.
TEST_F(Deploy, FilesAreWhereTheSpoolerKeepsThem) {
    const std::vector<std::string> moves = {"DRVSETUP_FAULTS=SpoolerMoves=1"};
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:", moves), 0u) << Log();
    for (const std::string &name : kLaserFiles) {
        EXPECT_FALSE(FileExists(driverDirectory + "\\" + name)) << name << " was not moved";
        EXPECT_TRUE(FileExists(versionDirectory + "\\" + name)) << name;
    }
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:", moves), 0u) << Log();
    ExpectLogged("already installed; nothing changed; exit code 0");
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel, moves), 0u) << Log();
    ExpectDriverFiles({});
}

// A setup file another machine holds open without sharing for a while is waited for
// (logged once); one held longer than the wait is a file that cannot be opened.
TEST_F(Deploy, ASetupFileHeldByAnotherProcessIsWaitedFor) {
    {
        HeldFile held(folder + "\\UNIDRV.HLP", 3000);
        ASSERT_NE(held.file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:"), 0u) << Log();
    }
    EXPECT_EQ(Count(Log(), "UNIDRV.HLP is in use by another process (error 32); trying again for "
                           "up to 10 s"),
              1u)
        << Log();
    ExpectLaserInstalled();

    HeldFile held(folder + "\\UNIDRV.HLP", 8000);
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:", {"DRVSETUP_FAULTS=SharingWait=1000"}),
              1603u)
        << Log();
    ExpectLogged("UNIDRV.HLP: cannot be opened, LZ result -1, error 32");
}

} // namespace