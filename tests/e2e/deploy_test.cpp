// The program as deployment tools run it on many machines: one run at a time (1618), the
// unattended removal (0, 3010, 1603, 1605, 1639), a spooler that is not up yet, a run as
// LocalSystem, and the one registration of an unattended installation. Each case checks
// the spooler, the files and the default printer it leaves.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

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
// unattended installation or removal ends 1618 and a person's wizard says so in its own
// message, all with nothing changed; with the lock free again the same line installs.
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
    Sight sight = WaitForOneOf(wizard, {Shown::kMessage, Shown::kFinish}, 30000);
    ExpectMessage(sight, "Warinig", kAnotherRun);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    EXPECT_FALSE(FindWindowOf(wizard, "", kWelcomeText));
    StopWizard(&wizard);
    ExpectNothingChanged(state);

    ReleaseMutex(lock);
    CloseHandle(lock);
    InstallLaser();
}

// A person's wizard holds the machine as well: an unattended run meanwhile ends 1618,
// and once the wizard is gone the same line installs.
TEST_F(Deploy, TheWizardAndAnUnattendedRunExcludeEachOther) {
    Wizard person;
    ASSERT_TRUE(StartWizard(&person, folder, "drvsetup_x64.exe"));
    HWND welcome = WaitForPage(person, kWelcomeText, 30000);
    ASSERT_TRUE(welcome);
    SpoolerState state = ReadSpooler(driverDirectory);
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:"), 1618u);
    ExpectNothingChanged(state);

    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(person, welcome));
    StopWizard(&person);
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

    InstallLaser();
    EXPECT_EQ(Run("/quiet /uninstall " + kLaserModel,
                  {"DRVSETUP_FAULTS=DeleteFile=32*1;DeletePrinterDriver=3001*2"}),
              3010u)
        << Log();
    ExpectLogged("the driver is still in use; asking again for up to 10 s");
    ExpectLogged(driverDirectory.substr(2) + "\\UNIDRV.DLL: failed, error 32");
    ExpectLogged(driverDirectory.substr(2) + "\\UNIDRV.DLL (deleted at the next restart): ok");
    ExpectLogged("end      removed; files in use go at the next restart; exit code 3010");
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    EXPECT_FALSE(FileExists(driverDirectory + "\\J71.GPD"));
    std::vector<std::string> renames = MachineMultiString(
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    std::string listed;
    for (const std::string &name : renames)
        listed += name + "|";
    EXPECT_NE(listed.find("\\UNIDRV.DLL|"), std::string::npos) << listed;
    EXPECT_TRUE(FileExists(driverDirectory + "\\UNIDRV.DLL")) << "kept until the restart";
    EXPECT_FALSE(FileExists(versionDirectory + "\\UNIDRV.DLL")) << "that copy was not in use";
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

// The unattended run registers once; replacing an installation whose printer something
// still holds open, it asks for the driver's deletion again until the spooler lets go.
TEST_F(Deploy, UnattendedRegistersOnceAndWaitsForAHeldDriver) {
    InstallLaser();
    EXPECT_EQ(Count(Log(), "AddPrinterDriver \""), 1u) << Log();
    EXPECT_EQ(Count(Log(), "AddPrinter \""), 1u) << Log();
    EXPECT_EQ(Count(Log(), "DeletePrinterDriver"), 0u) << "nothing to remove on a clean machine";

    // The model's printer survives the model step (as a printer pending deletion would
    // not be found there), so the removal before the copy deletes printer and driver.
    EXPECT_EQ(Run("/quiet " + kLaserModel + " /port LPT1:",
                  {"DRVSETUP_FAULTS=DeletePrinter=5*1;DeletePrinterDriver=3001*3"}),
              0u)
        << Log();
    EXPECT_EQ(Count(Log(), "DeletePrinterDriver \"Zelmox J71 Laser\" for Windows x64: failed, "
                           "error 3001"),
              3u);
    ExpectLogged("DeletePrinterDriver \"Zelmox J71 Laser\" for Windows x64: ok");
    EXPECT_EQ(Count(Log(), "AddPrinterDriver \""), 1u);
    ExpectLaserInstalled();
}

// The wizard's removal before the copy waits for a held driver as well.
TEST_F(Deploy, TheWizardWaitsForAHeldDriverToo) {
    InstallLaser();
    Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=DeletePrinter=5*1;DeletePrinterDriver=3001*3"});
    WalkToCopy();
    Sight sight = NextSight(wizard);
    ExpectFinish(sight, kSucceeded);
    ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles);
}

} // namespace
