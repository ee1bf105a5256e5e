// Faults of a real machine met by whole installations, driven from outside by the robot,
// one table of them: a driver file missing from the setup folder or damaged there, a
// destination held open by another program, a bad source handle, an earlier installation
// in the way, a spooler that refuses the driver or will not delete an earlier printer or
// driver, and a full disk. Each row checks what the user is told, the finish page the
// wizard ends on and what is left behind: no partial file in the driver directory or its
// "3", no printer announced that does not exist. Built for i686 it runs the rows the
// shipped Korean program can run (those needing no seam) on the 32-bit platform.
#include "../win/spooler_fixture.h"
#include "install_fixture.h"
#include "robot/robot.h"
#include "windows_or_wine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

class Faults;
using Step = std::function<void(Faults &)>;

// What is left in the driver directory and its "3" beyond what was there.
enum class Left { kNothing, kBeforeTheStop, kEverything };

struct Fault {
    const char *name;
    int model;          // the entry chosen on the model page
    std::string faults; // what the test build injects; empty: any build runs the row
    Step prepare;       // the setup folder and the spooler, before the wizard starts
    Shown said;         // kMessage, kSystemBox, or kNothing
    const char *Texts::*caption, *Texts::*text;
    int code, times;       // a refused driver's error code; how often it is said
    const char *stoppedAt; // the file the copy page names when it stops
    bool installed;        // the success page
    Left left;
    Step after; // what else must be as it was, or has become
};

void PrintTo(const Fault &fault, std::ostream *out) {
    *out << fault.name;
}

class Faults : public InstallCase, public ::testing::WithParamInterface<Fault> {
  public:
    Faults() : InstallCase(kOwnBuild) {}
    using InstallCase::build;
    using InstallCase::driverDirectory;
    using InstallCase::ExpectNoPrinterOrDriverOfTheModel;
    using InstallCase::folder;
    using InstallCase::spoolerBefore;

    // The model's files before `name`.
    std::vector<std::string> Before(const std::string &name) {
        std::vector<std::string> files = DemoFiles(DemoModels()[GetParam().model]);
        return std::vector<std::string>(files.begin(), std::find(files.begin(), files.end(), name));
    }

    void Delete(const char *name) {
        ASSERT_TRUE(DeleteFileA((folder + "\\" + name).c_str()));
    }

    HANDLE held = INVALID_HANDLE_VALUE;

    // An earlier installation of `model`: driver and printer on LPT2:.
    void Earlier(const char *model, const char *driver = nullptr) {
        ASSERT_TRUE(spool::AddTestDriver(driver ? driver : model, build.environment, 3));
        ASSERT_TRUE(spool::AddPrinterOn(model, driver ? driver : model, "LPT2:"));
    }
};

const char kHeld[] = "an older J71.GPD in use";
const char kOffice[] = "Office J71";

std::vector<Fault> Rows() {
    const Shown message = Shown::kMessage, box = Shown::kSystemBox;
    const auto error = &Texts::errorCaption;
    auto nothingOfTheModel = [](Faults &f) { f.ExpectNoPrinterOrDriverOfTheModel(); };
    std::vector<Fault> rows = {
        {"DriverFileMissingFromTheSetupFolder", 0, "", [](Faults &f) { f.Delete("J71LASER.INI"); },
         message, error, &Texts::fileOpenError, 0, 1, "J71LASER.INI", false, Left::kBeforeTheStop,
         nothingOfTheModel},
        {"TruncatedCompressedFile", 0, "",
         [](Faults &f) { TruncateCompressed(f.folder, "J71.GPD"); }, message, error,
         &Texts::fileDamaged, 0, 1, "J71.GPD", false, Left::kBeforeTheStop, nothingOfTheModel},
        // The compressed data replaced by other bytes of the same length: it expands to a
        // size other than its header announces.
        {"GarbledCompressedFile", 0, "",
         [](Faults &f) {
             std::string packed;
             ASSERT_TRUE(ReadWholeFile(f.folder + "\\UNIDRVUI.DLL", &packed));
             ASSERT_EQ(packed.compare(0, 4, "SZDD"), 0) << "the demo ships UNIDRVUI.DLL compressed";
             for (size_t at = 14; at < packed.size(); at++)
                 packed[at] = (char)(at * 7 + 0x11);
             ASSERT_TRUE(WriteTextFile(f.folder + "\\UNIDRVUI.DLL", packed));
         },
         message, error, &Texts::fileDamaged, 0, 1, "UNIDRVUI.DLL", false, Left::kBeforeTheStop,
         nothingOfTheModel},
        // Another program (here the robot's process) has the old J71.GPD of the driver
        // directory open without sharing: it can neither be deleted nor created anew, nor
        // put under the LZ library's compressed-file name.
        {"DestinationHeldOpenByAnotherProgram", 0, "",
         [](Faults &f) {
             std::string path = f.driverDirectory + "\\J71.GPD";
             ASSERT_TRUE(WriteTextFile(path, kHeld));
             f.spoolerBefore.files.insert("J71.GPD");
             f.held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             ASSERT_NE(f.held, INVALID_HANDLE_VALUE);
         },
         message, error, &Texts::fileOpenError, 0, 1, "J71.GPD", false, Left::kBeforeTheStop,
         [](Faults &f) {
             CloseHandle(f.held);
             std::string contents;
             ASSERT_TRUE(ReadWholeFile(f.driverDirectory + "\\J71.GPD", &contents));
             EXPECT_EQ(contents, kHeld) << "the file in use must be left alone";
             DeleteFileA((f.driverDirectory + "\\J71.GPD").c_str());
             f.ExpectNoPrinterOrDriverOfTheModel();
         }},
        // A file missing after an earlier installation of the model: the earlier printer is
        // gone and no new one came. Windows refuses the model page's deletion (a handle of
        // default access), so the port page's removal takes the printer and then the driver;
        // Wine grants the model page's deletion, the port page's removal then finds no
        // printer, and the driver stays.
        {"MissingFileAfterAnEarlierInstallation", 2, "",
         [](Faults &f) {
             f.Earlier("Zelmox J71 Network");
             f.Delete("J71.GPD");
         },
         message, error, &Texts::fileOpenError, 0, 1, "J71.GPD", false, Left::kBeforeTheStop,
         [](Faults &f) {
             EXPECT_FALSE(GetPrinterState("Zelmox J71 Network").exists);
             EXPECT_TRUE(WindowsOrWine(
                 GetDriverState("Zelmox J71 Network", f.build.environment).exists, false, true));
         }},
        // A printer of the model's name left on a driver of another name: the model page
        // finds no driver of the model's name and leaves the printer; the port page deletes
        // it and then asks the spooler to delete a driver of the model's name, which does
        // not exist. That refusal is the spooler's own, as on Windows, and ends the wizard on
        // the port page.
        {"EarlierPrinterOnAnotherDriverIsARemovalTheSpoolerRefuses", 0, "",
         [](Faults &f) { f.Earlier(kLaser, "Zelmox J71 (earlier)"); }, box, &Texts::removalCaption,
         &Texts::removalFailed, 0, 1, nullptr, false, Left::kNothing,
         [](Faults &f) {
             EXPECT_FALSE(GetPrinterState(kLaser).exists) << "the removal deleted it";
             EXPECT_TRUE(GetDriverState("Zelmox J71 (earlier)", f.build.environment).exists)
                 << "the other driver stays";
             EXPECT_FALSE(GetDriverState(kLaser, f.build.environment).exists);
         }},
        // The rows below need the test build's seams: Wine's spooler refuses nothing.
        // Once for each of the two registrations; the copy itself was complete.
        {"DriverRefusedByTheSpoolerIsReportedTwice", 0, "AddPrinterDriver=1797", nullptr, box,
         &Texts::driverRefusedCaption, &Texts::driverRefused, 1797, 2, nullptr, false,
         Left::kEverything, nothingOfTheModel},
        // The writing steps register twice: a driver refused the first time and taken the
        // second is reported once, and the installation stands.
        {"DriverRefusedOnceThenTaken", 0, "AddPrinterDriver=1797*1", nullptr, box,
         &Texts::driverRefusedCaption, &Texts::driverRefused, 1797, 1, nullptr, true,
         Left::kEverything,
         [](Faults &f) { ExpectRegistered(kLaser, f.build.environment, "COM1:", kLaserFiles); }},
        // The earlier printer stands as it was; nothing was copied.
        {"EarlierPrinterThatCannotBeDeleted", 0, "DeletePrinter=5",
         [](Faults &f) { f.Earlier(kLaser); }, box, &Texts::removalCaption, &Texts::removalFailed,
         0, 1, nullptr, false, Left::kNothing,
         [](Faults &) {
             PrinterState printer = GetPrinterState(kLaser);
             EXPECT_TRUE(printer.exists);
             EXPECT_EQ(printer.port, "LPT2:");
         }},
        // The spooler will not remove a driver that another printer uses (Windows answers
        // ERROR_PRINTER_DRIVER_IN_USE; Wine's spooler removes it, hence the injected
        // refusal). The model page's deletion through a handle of default access is refused
        // as Windows refuses it (Wine would grant it, hence the first deletion refused too),
        // so the port page's removal meets the driver in use; the other printer keeps it.
        {"DriverInUseByAnotherPrinter", 0, "DeletePrinter=5*1;DeletePrinterDriver=3001",
         [](Faults &f) {
             f.Earlier(kLaser);
             ASSERT_TRUE(spool::AddPrinterOn(kOffice, kLaser, "LPT3:"));
         },
         box, &Texts::removalCaption, &Texts::removalFailed, 0, 1, nullptr, false, Left::kNothing,
         [](Faults &f) {
             PrinterState other = GetPrinterState(kOffice);
             EXPECT_TRUE(other.exists);
             EXPECT_EQ(other.driver, kLaser);
             EXPECT_EQ(other.port, "LPT3:");
             EXPECT_TRUE(GetDriverState(kLaser, f.build.environment).exists);
         }},
        // The same refusal where the port page meets it: the earlier installation registered
        // the model in capitals, so the model page (which compares driver names exactly)
        // leaves its printer, and the port page's removal (the spooler's names ignore letter
        // case) deletes that printer and then cannot delete the driver the other uses. No
        // printer of the model's name, old or new, is left to pass for an installation.
        {"DriverInUseWhenThePortPageRemovesIt", 0, "DeletePrinterDriver=3001",
         [](Faults &f) {
             f.Earlier("ZELMOX J71 LASER");
             ASSERT_TRUE(spool::AddPrinterOn(kOffice, "ZELMOX J71 LASER", "LPT3:"));
         },
         box, &Texts::removalCaption, &Texts::removalFailed, 0, 1, nullptr, false, Left::kNothing,
         [](Faults &f) {
             PrinterState other = GetPrinterState(kOffice);
             EXPECT_TRUE(other.exists) << "the other printer must be left alone";
             EXPECT_EQ(other.driver, "ZELMOX J71 LASER");
             EXPECT_TRUE(GetDriverState("ZELMOX J71 LASER", f.build.environment).exists);
             EXPECT_FALSE(GetPrinterState(kLaser).exists);
         }},
        // A bad source handle is said, then the same file is tried again and the
        // installation goes on.
        {"BadSourceHandleIsShownThenTheSameFileIsTriedAgain", 1, "CopyLZFile=-1*1", nullptr,
         message, error, &Texts::cannotRead, 0, 1, "UNIDRV.DLL", true, Left::kEverything,
         [](Faults &f) {
             EXPECT_TRUE(GetPrinterState(kColor).exists);
             ExpectCopied(f.folder, kColorFiles);
         }},
    };
#ifndef _WIN64
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const Fault &row) { return !row.faults.empty(); }),
               rows.end());
#endif
    return rows;
}

TEST_P(Faults, EachIsToldAndLeavesNothingHalfDone) {
    const Fault &f = GetParam();
    const Texts &t = *build.texts;
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    if (f.prepare)
        ASSERT_NO_FATAL_FAILURE(f.prepare(*this));
    ASSERT_NO_FATAL_FAILURE(
        Start(nullptr, f.faults.empty() ? std::vector<std::string>{}
                                        : std::vector<std::string>{"DRVSETUP_FAULTS=" + f.faults}));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy(f.model));
    for (int time = 0; time < f.times; time++) {
        Sight sight = NextSight(wizard);
        if (f.said == Shown::kSystemBox) {
            ASSERT_NO_FATAL_FAILURE(ExpectBox(
                sight, t.*f.caption, t.*f.text + (f.code ? std::to_string(f.code) + ")" : "")));
            continue;
        }
        // The copy page owns the message and names the file it stopped at.
        HWND copy = FindWindowOf(wizard, "", kCopyBar);
        ASSERT_TRUE(copy) << "no copy page under " << Describe(sight);
        EXPECT_EQ(GetWindow(sight.window, GW_OWNER), copy);
        EXPECT_EQ(ControlText(copy, kCopyFile), f.stoppedAt);
        EXPECT_EQ(ControlText(copy, kCopyDirectory), DriverDirectory() + "\\");
        Pump(200);
        EXPECT_EQ(WaitForIcon(GetDlgItem(sight.window, kIcon), "hand"), "hand");
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(sight, t.*f.caption, t.*f.text));
    }
    Sight finish = NextSight(wizard);
    EXPECT_EQ(FindWindowOf(wizard, "", kStatusText), nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(finish, f.installed ? build.succeeded : build.failed));
    if (!f.installed)
        EXPECT_EQ(ProfileDevice(), deviceBefore)
            << "a failed run must not touch the default printer";
    std::vector<std::string> all = DemoFiles(DemoModels()[f.model]);
    ExpectDriverFiles(f.left == Left::kEverything      ? all
                      : f.left == Left::kBeforeTheStop ? Before(f.stoppedAt)
                                                       : std::vector<std::string>{});
    if (f.after)
        f.after(*this);
}

INSTANTIATE_TEST_SUITE_P(Table, Faults, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Fault> &info) {
                             return std::string(info.param.name);
                         });

#ifdef _WIN64
// A full disk, from tests/e2e/faults_disk.sh: it mounts a 1 MB disk over the driver
// directory or over its "3" in a prefix of its own, and names which in
// FAULTS_SMALL_DISK ("x64" or "3"). Elsewhere these cases skip themselves.
class FullDisk : public InstallCase {
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
    quick = false; // the copy page's second is what the case looks into
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

#endif

} // namespace
