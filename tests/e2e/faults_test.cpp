// Faults of a real machine met by whole installations, driven from outside by the robot:
// a driver file missing from the setup folder or damaged there, a destination held open
// by another program, a full disk, a spooler that refuses the driver or will not delete
// an earlier printer or driver. Each case checks the message the user sees, the finish
// page the wizard ends on and what is left behind: no partial file in the driver
// directory or its "3", no printer announced that does not exist.
#include "../win/spooler_fixture.h"
#include "install_fixture.h"
#include "robot/robot.h"
#include "windows_or_wine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

const char kRemovalFailed[] = "Previous verion driver is currently used by an application.\n"
                              "Terminate all applications. And then delete previous version "
                              "driver from printer folderand retry.";

std::vector<std::string> Before(const std::string &name) {
    auto at = std::find(kLaserFiles.begin(), kLaserFiles.end(), name);
    return std::vector<std::string>(kLaserFiles.begin(), at);
}

// Each case in a setup folder of its own; the spooler and the driver directory are put back
// as they were, for the next case.
class Faults : public InstallCase {};

TEST_F(Faults, DriverFileMissingFromTheSetupFolderIsAnOpenError) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_TRUE(DeleteFileA((folder + "\\J71LASER.INI").c_str()));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(NextSight(wizard), "Error", "File open error."));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    ExpectNoPrinterOrDriverOfTheModel();
    // The files before it are whole copies; nothing is undone.
    ExpectDriverFiles(Before("J71LASER.INI"));
}

TEST_F(Faults, TruncatedCompressedFileIsDamagedAndLeavesNoPartialCopy) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(e2e::TruncateCompressed(folder, "J71.GPD"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(NextSight(wizard), "Error", "File has damaged."));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles(Before("J71.GPD"));
}

// The compressed data of a file replaced by other bytes of the same length: it expands
// to a size other than its header announces.
TEST_F(Faults, GarbledCompressedFileIsDamagedAndLeavesNoPartialCopy) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    std::string packed;
    ASSERT_TRUE(ReadWholeFile(folder + "\\UNIDRVUI.DLL", &packed));
    ASSERT_EQ(packed.compare(0, 4, "SZDD"), 0) << "the demo ships UNIDRVUI.DLL compressed";
    for (size_t at = 14; at < packed.size(); at++)
        packed[at] = (char)(at * 7 + 0x11);
    ASSERT_TRUE(WriteTextFile(folder + "\\UNIDRVUI.DLL", packed));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(NextSight(wizard), "Error", "File has damaged."));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles(Before("UNIDRVUI.DLL"));
}

// Another program (here the robot's process) has the old J71.GPD of the driver directory
// open without sharing: it can neither be deleted nor created anew.
TEST_F(Faults, DestinationHeldOpenByAnotherProgramIsAnOpenError) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    std::string held = driverDirectory + "\\J71.GPD";
    ASSERT_TRUE(WriteTextFile(held, "an older J71.GPD in use"));
    spoolerBefore.files.insert("J71.GPD");
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(NextSight(wizard), "Error", "File open error."));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    CloseHandle(file);

    std::string contents;
    ASSERT_TRUE(ReadWholeFile(held, &contents));
    EXPECT_EQ(contents, "an older J71.GPD in use") << "the file in use must be left alone";
    ExpectNoPrinterOrDriverOfTheModel();
    // Nor was the file put under the LZ library's compressed-file name.
    ExpectDriverFiles(Before("J71.GPD"));
    DeleteFileA(held.c_str());
}

TEST_F(Faults, DriverRefusedByTheSpoolerIsReportedTwiceAndEndsOnTheFailurePage) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_NO_FATAL_FAILURE(Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=AddPrinterDriver=1797"}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    // Once for each of the two registrations.
    for (int round = 0; round < 2; round++)
        ASSERT_NO_FATAL_FAILURE(
            ExpectBox(NextSight(wizard), "Add a printer error ",
                      "Cannot add a printer driver!\r\n(System Error Code : 1797)"));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    ExpectNoPrinterOrDriverOfTheModel();
    // The copy itself was complete.
    ExpectDriverFiles(kLaserFiles);
}

// The writing steps register twice: a driver the spooler refuses the first time and takes
// the second is reported once, and the installation stands.
TEST_F(Faults, DriverRefusedOnceThenTakenEndsOnTheSuccessPage) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_NO_FATAL_FAILURE(
        Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=AddPrinterDriver=1797*1"}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(
        ExpectBox(NextSight(wizard), "Add a printer error ",
                  "Cannot add a printer driver!\r\n(System Error Code : 1797)"));
    Sight finish = NextSight(wizard);
    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(finish, kSucceeded));
}

TEST_F(Faults, EarlierPrinterThatCannotBeDeletedEndsTheWizardOnThePortPage) {
    ASSERT_TRUE(spool::AddTestDriver(kLaser, kEnvironment, 3));
    ASSERT_TRUE(spool::AddPrinterOn(kLaser, kLaser, "LPT2:"));
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_NO_FATAL_FAILURE(Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=DeletePrinter=5"}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectBox(NextSight(wizard), "Setup error", kRemovalFailed));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));

    // The earlier printer stands as it was; nothing was copied.
    PrinterState printer = GetPrinterState(kLaser);
    EXPECT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "LPT2:");
    ExpectDriverFiles({});
}

// The spooler will not remove a driver that another printer uses (Windows answers
// ERROR_PRINTER_DRIVER_IN_USE; Wine's spooler removes it, hence the injected refusal).
// The model page's deletion through a handle of default access is refused as Windows
// refuses it (Wine would grant it, hence the first deletion refused too), so the port
// page's removal meets the driver in use and the wizard ends there; the other printer
// keeps its driver.
TEST_F(Faults, DriverInUseByAnotherPrinterEndsTheWizardOnThePortPage) {
    ASSERT_TRUE(spool::AddTestDriver(kLaser, kEnvironment, 3));
    ASSERT_TRUE(spool::AddPrinterOn(kLaser, kLaser, "LPT2:"));
    ASSERT_TRUE(spool::AddPrinterOn("Office J71", kLaser, "LPT3:"));
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_NO_FATAL_FAILURE(Start("drvsetup_x64_t.exe",
                                  {"DRVSETUP_FAULTS=DeletePrinter=5*1;DeletePrinterDriver=3001"}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectBox(NextSight(wizard), "Setup error", kRemovalFailed));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));

    PrinterState other = GetPrinterState("Office J71");
    EXPECT_TRUE(other.exists);
    EXPECT_EQ(other.driver, kLaser);
    EXPECT_EQ(other.port, "LPT3:");
    EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectDriverFiles({});
}

// The same refusal where the port page meets it: the earlier installation registered the
// model in capitals, so the model page (which compares driver names exactly) leaves its
// printer, and the port page's removal (the spooler's names ignore letter case) deletes
// that printer and then cannot delete the driver the other printer uses.
TEST_F(Faults, DriverInUseWhenThePortPageRemovesItEndsOnTheFailurePage) {
    const std::string earlier = "ZELMOX J71 LASER";
    ASSERT_TRUE(spool::AddTestDriver(earlier.c_str(), kEnvironment, 3));
    ASSERT_TRUE(spool::AddPrinterOn(earlier.c_str(), earlier.c_str(), "LPT2:"));
    ASSERT_TRUE(spool::AddPrinterOn("Office J71", earlier.c_str(), "LPT3:"));
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_NO_FATAL_FAILURE(
        Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=DeletePrinterDriver=3001"}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectBox(NextSight(wizard), "Setup error", kRemovalFailed));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));

    PrinterState other = GetPrinterState("Office J71");
    EXPECT_TRUE(other.exists) << "the other printer must be left alone";
    EXPECT_EQ(other.driver, earlier);
    EXPECT_TRUE(GetDriverState(earlier, kEnvironment).exists);
    // No printer of the model's name, old or new, is left to pass for an installation.
    EXPECT_FALSE(GetPrinterState(kLaser).exists);
    ExpectDriverFiles({});
}

// A full disk, from tests/e2e/faults_disk.sh: it mounts a 1 MB disk over the driver
// directory or over its "3" in a prefix of its own, and names which in
// FAULTS_SMALL_DISK ("x64" or "3"). Elsewhere these cases skip themselves.
class FullDisk : public Faults {
  protected:
    static bool OnSmallDisk(const char *where) {
        char value[16] = "";
        GetEnvironmentVariableA("FAULTS_SMALL_DISK", value, sizeof value);
        return std::string(value) == where;
    }

    // The demo's folder with a 2 MB driver file between two small ones, more than the
    // small disk holds.
    void MakeFolderWithABigFile() {
        ASSERT_NO_FATAL_FAILURE(MakeFolder());
        std::string big(2 * 1024 * 1024, '\0');
        for (size_t at = 0; at < big.size(); at++)
            big[at] = (char)(at * 2654435761u >> 13);
        ASSERT_TRUE(WriteTextFile(folder + "\\J71BIG.DLL", big));
        ASSERT_TRUE(WriteTextFile(folder + "\\J71.INF",
                                  "[ZelmoxSystems]\r\n"
                                  "\"Zelmox J71 Laser\"=J71_LASER\r\n"
                                  "[J71_LASER]\r\n"
                                  "CopyFiles=@UNIDRV.DLL,@J71BIG.DLL,@J71.GPD\r\n"));
    }

    void RunToTheFailurePage() {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(WalkToCopy());
        ASSERT_NO_FATAL_FAILURE(
            ExpectMessage(NextSight(wizard), "Error", "Insufficient disk space."));
        ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
        ExpectNoPrinterOrDriverOfTheModel();
        // The file before the big one stays; the big one is in neither directory, whole
        // or in part, and the one after it was never tried.
        ExpectDriverFiles({"UNIDRV.DLL"});
    }
};

TEST_F(FullDisk, DriverDirectoryFullIsInsufficientSpaceAndLeavesNoPartialCopy) {
    if (!OnSmallDisk("x64"))
        GTEST_SKIP() << "needs the small disk faults_disk.sh mounts over the driver directory";
    ASSERT_NO_FATAL_FAILURE(MakeFolderWithABigFile());
    ASSERT_NO_FATAL_FAILURE(RunToTheFailurePage());
}

// The driver directory has room, its "3" has not: the wizard's own second copy of the big
// file fails, with no message, and what it wrote of it is removed before the spooler
// copies the files into "3" itself at registration. The outcome is then the spooler's:
// a refusal ends on the failure page (Windows), an acceptance on the success page (Wine,
// which leaves its own partial copy and says nothing).
TEST_F(FullDisk, VersionDirectoryFullIsLeftToTheSpooler) {
    if (!OnSmallDisk("3"))
        GTEST_SKIP() << "needs the small disk faults_disk.sh mounts over \"3\"";
    ASSERT_NO_FATAL_FAILURE(MakeFolderWithABigFile());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    // The last file's second copy is there while the copy page lingers, a second before
    // the registration starts.
    ULONGLONG end = Now() + 60000;
    while (!FileExists(versionDirectory + "\\J71.GPD") && Now() < end && IsRunning(wizard))
        Pump(5);
    ASSERT_TRUE(FileExists(versionDirectory + "\\J71.GPD")) << "the copy stage did not end";
    EXPECT_FALSE(FileExists(versionDirectory + "\\J71BIG.DLL")) << "a partial copy was left";

    // Windows' spooler refuses the driver with ERROR_DISK_FULL at both registrations and
    // the wizard ends on the failure page; Wine's accepts it and the wizard succeeds.
    const std::string refused = "Add a printer error |Cannot add a printer driver!\r\n"
                                "(System Error Code : 112)";
    std::vector<std::string> outcome;
    Sight sight = NextSight(wizard);
    for (int box = 0; box < 2 && sight.what == Shown::kSystemBox; box++) {
        outcome.push_back(sight.caption + "|" + sight.text);
        ASSERT_NO_FATAL_FAILURE(ExpectBox(sight, sight.caption, sight.text));
        sight = NextSight(wizard);
    }
    ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
    bool installed = sight.text == kSucceeded;
    outcome.push_back(installed ? "installed" : "failed");
    using Outcome = std::vector<std::string>;
    EXPECT_TRUE(WindowsOrWine(outcome, Outcome{refused, refused, "failed"}, Outcome{"installed"}));
    if (installed)
        ASSERT_TRUE(SetCheck(sight.window, kFinishCheck, false));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(sight, installed ? kSucceeded : kFailed));
    std::string big, copied;
    ASSERT_TRUE(ReadWholeFile(folder + "\\J71BIG.DLL", &big));
    ASSERT_TRUE(ReadWholeFile(driverDirectory + "\\J71BIG.DLL", &copied));
    EXPECT_TRUE(big == copied) << "the first copy is whole";
}

} // namespace
