// The shipped Korean program, drvsetup_x86.exe as it is delivered, on the 32-bit Windows
// platform (32-bit Wine, where "Windows NT x86" is the spooler's own environment), under
// code page 949: one whole installation through every page, checked by what it leaves
// behind, and the cases where 32 bits may differ from the x86-64 test build the other
// Korean tests drive: long file names in the longer driver directory, the LZ library of
// the 32-bit system on a truncated file, a removal the spooler refuses for real (the shipped
// program has no seams) and the systems the program refuses.
#include "../../win/spooler_fixture.h"
#include "install_fixture.h"
#include "korean_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace robot;
using e2e::kLaser;
using e2e::kLaserFiles;
using korean::kEnvironment;

namespace {

const e2e::Build kShipped = {korean::kShippedProgram, kEnvironment, korean::kSucceeded,
                             korean::kFailed};
// Waits long enough for a program starting under emulation (about 2.5 s a process).
const DWORD kSlow = 30000;

// ---- The platform itself ----

// What the shipped program sees of the system: a 32-bit Windows 7 under the Korean code
// page, not a 64-bit one running 32-bit programs.
TEST(ShippedPlatform, IsA32BitWindows7UnderCodePage949) {
    SYSTEM_INFO system;
    GetNativeSystemInfo(&system);
    EXPECT_EQ(system.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    BOOL wow64 = TRUE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64);
    OSVERSIONINFOA version = {sizeof version};
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwMajorVersion * 10 + version.dwMinorVersion, 61u);
    EXPECT_EQ(GetACP(), 949u);
    EXPECT_EQ(DriverDirectory(), "C:\\windows\\system32\\spool\\drivers\\w32x86");
}

// A fault reaches the program as the access violation Windows raises, which the system's
// own probes rely on (under qemu it needs the preloaded frame mending of tools/x86); a
// wrong exception would end this process instead.
TEST(ShippedPlatform, FaultsReachProgramsAsAccessViolations) {
    char *page = (char *)VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READONLY);
    ASSERT_TRUE(page);
    EXPECT_TRUE(IsBadWritePtr(page, 1));
    EXPECT_FALSE(IsBadReadPtr(page, 1));
    EXPECT_TRUE(IsBadReadPtr(nullptr, 1));
    VirtualFree(page, 0, MEM_RELEASE);
}

// Under WINE_RUN_NO_DISPLAY=1 (x86-run.sh), the mode for programs that must show nothing:
// no display and no graphics driver, so any window the program tries to create fails.
TEST(ShippedPlatform, WithoutADisplayNoWindowCanBeMadeAndTheWizardEnds) {
    char value[8] = "";
    GetEnvironmentVariableA("WINE_RUN_NO_DISPLAY", value, sizeof value);
    if (std::string(value) != "1")
        GTEST_SKIP() << "runs under WINE_RUN_NO_DISPLAY=1 only";
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_EQ(window, nullptr);
    if (window)
        DestroyWindow(window);

    // Where its main window cannot be made, the shipped wizard ends at once with 0 rather
    // than wait for a window message that never comes.
    const std::string folder = "C:\\e2e\\nodisplay";
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(korean::kShippedProgram)));
    Wizard wizard;
    ASSERT_TRUE(StartWizard(&wizard, folder, korean::kShippedProgram));
    EXPECT_EQ(WaitForExit(&wizard, 60000), 0u);
    StopWizard(&wizard);
}

// ---- One whole installation ----

class ShippedRoad : public korean::KoreanWizard {
  protected:
    ShippedRoad() : KoreanWizard(korean::kShippedProgram) {}
};

TEST_F(ShippedRoad, EveryPageInKoreanEndsWithPrinterDriverFilesAndDefaultPrinter) {
    std::string deviceBefore = ProfileDevice();
    HWND status = WaitForWindow(wizard, "", kStatusText, kSlow);
    ASSERT_TRUE(status) << "no reading status";
    korean::ExpectReadingStatus(status);
    Screenshot(status, "x86-01-reading");

    HWND welcome = WaitForPage(wizard, kWelcomeText, kSlow);
    ASSERT_TRUE(welcome);
    korean::ExpectWelcomePage(welcome);
    Screenshot(welcome, "x86-02-welcome");

    // Cancel answered No leaves the welcome page open.
    ASSERT_TRUE(Press(welcome, kCancel));
    HWND question = WaitForMessageDialog(wizard, kSlow);
    ASSERT_TRUE(question) << "no cancel question";
    korean::ExpectCancelQuestion(question);
    Screenshot(question, "x86-03-cancel-question");
    ASSERT_TRUE(Press(question, kNo));
    ASSERT_TRUE(WaitGone(question, kSlow));
    EXPECT_TRUE(IsWindowVisible(welcome)) << "No must leave the welcome page open";
    Press(welcome, kNext);

    HWND model = WaitForPage(wizard, kModelList, kSlow);
    ASSERT_TRUE(model);
    korean::ExpectModelPage(model);
    EXPECT_EQ(ListItems(model, kModelList),
              (std::vector<std::string>{kLaser, "Zelmox J71 Color", "Zelmox J71 Network"}));
    EXPECT_EQ(ListSelection(model, kModelList), 0) << "the first model is chosen in advance";
    Screenshot(model, "x86-04-model");

    // Next with nothing selected: the warning, and the page stays.
    ASSERT_TRUE(ListSelect(model, kModelList, -1));
    Press(model, kNext);
    e2e::Sight warning =
        e2e::WaitForOneOf(wizard, {e2e::Shown::kMessage, e2e::Shown::kPortPage}, kSlow);
    if (warning.what == e2e::Shown::kMessage)
        Screenshot(warning.window, "x86-05-select-model");
    ASSERT_NO_FATAL_FAILURE(
        e2e::ExpectMessage(warning, korean::kWarningCaption, korean::kSelectModel));
    EXPECT_TRUE(IsWindowVisible(model)) << "the model page must stay open";
    ASSERT_TRUE(ListSelect(model, kModelList, 0));
    Press(model, kNext);

    HWND port = WaitForPage(wizard, kPortList, kSlow);
    ASSERT_TRUE(port);
    korean::ExpectPortPage(port);
    std::vector<std::string> ports = Ports();
    EXPECT_EQ(ListItems(port, kPortList), ports);
    auto com1 = std::find(ports.begin(), ports.end(), "COM1:");
    ASSERT_NE(com1, ports.end());
    EXPECT_EQ(ListSelection(port, kPortList), (int)(com1 - ports.begin()));
    Screenshot(port, "x86-06-port");
    Press(port, kNext);

    // The copy page stays a second after its last file, which it names.
    HWND copy = WaitForPage(wizard, kCopyBar, kSlow);
    ASSERT_TRUE(copy) << "no copy page";
    for (ULONGLONG end = Now() + kSlow;
         Now() < end && IsWindow(copy) && ControlText(copy, kCopyFile) != kLaserFiles.back();)
        Pump(10);
    EXPECT_EQ(ControlText(copy, kCopyFile), kLaserFiles.back());
    EXPECT_EQ(TextOf(copy), korean::kCopyCaption);
    EXPECT_EQ(ControlText(copy, kCopyDirectory), DriverDirectory(kEnvironment) + "\\");
    Screenshot(copy, "x86-07-copy");

    HWND writing = WaitForWindow(wizard, "", kStatusText, kSlow);
    ASSERT_TRUE(writing) << "no writing status";
    korean::ExpectWritingStatus(writing);
    Screenshot(writing, "x86-08-writing");

    HWND finish = WaitForPage(wizard, kFinishText, kSlow);
    ASSERT_TRUE(finish);
    korean::ExpectFinishPage(finish, true);
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(finish, kIcon), "asterisk"), "asterisk");
    Screenshot(finish, "x86-09-finish");
    EXPECT_EQ(ProfileDevice(), deviceBefore) << "until OK the default printer is left alone";
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, kSlow), 0u);

    // The 32-bit system's own driver directory.
    EXPECT_EQ(DriverDirectory(kEnvironment), DriverDirectory());
    EXPECT_EQ(DriverDirectory(kEnvironment), "C:\\windows\\system32\\spool\\drivers\\w32x86");
    ASSERT_NO_FATAL_FAILURE(e2e::ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
    // Each file in w32x86 and its "3", the setup folder's byte for byte, expanded when it
    // is stored compressed.
    e2e::ExpectCopied(folder, kLaserFiles, kEnvironment);
    EXPECT_EQ(DefaultPrinter(), kLaser);
    EXPECT_EQ(ProfileDevice(), std::string(kLaser) + "," + kLaser + ",COM1:");
}

// ---- Cases where 32 bits may differ, each in a setup folder of its own ----

class ShippedFaults : public e2e::InstallCase {
  protected:
    ShippedFaults() : InstallCase(kShipped) {}

    void SetUp() override {
        ASSERT_EQ(GetACP(), 949u) << "the Korean program must run under code page 949";
        InstallCase::SetUp();
    }

    // A setup folder of the corpus's driver files with `inf` as its J71.INF, where the corpus
    // test puts it (the folder's length decides which names the LZ library can open).
    void MakeCorpusFolder(const std::string &inf) {
        folder = "C:\\corpus\\" + inf.substr(0, inf.size() - 4);
        ASSERT_NO_FATAL_FAILURE(MakeFolder(nullptr, "tests\\e2e\\corpus\\files"));
        ASSERT_TRUE(
            CopyOneFile(SourcePath("tests\\e2e\\corpus\\inf\\" + inf), folder + "\\J71.INF"));
    }
};

// Thirteen names of 74 to 78 characters: in "...\w32x86\3\" (three characters longer than
// the x64 directory) each destination comes within a few characters of the 128 the LZ
// library's open record holds, and every one must still be copied whole.
TEST_F(ShippedFaults, CorpusLongNamesAreCopiedIntoTheLongerDriverDirectory) {
    ASSERT_NO_FATAL_FAILURE(MakeCorpusFolder("copyfiles-1023.inf"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    e2e::Sight finish = e2e::NextSight(wizard);
    ASSERT_EQ(finish.what, e2e::Shown::kFinish) << "saw " << e2e::Describe(finish);
    ASSERT_TRUE(SetCheck(finish.window, kFinishCheck, false));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(finish, korean::kSucceeded));

    std::vector<std::string> names = e2e::PartNames();
    ASSERT_NO_FATAL_FAILURE(e2e::ExpectRegistered(kLaser, kEnvironment, "COM1:", names));
    ExpectDriverFiles(names);
    for (const std::string &name : names) {
        std::string source, copy;
        ASSERT_TRUE(ReadWholeFile(folder + "\\" + name, &source));
        EXPECT_LT((versionDirectory + "\\" + name).size(), 128u);
        EXPECT_TRUE(ReadWholeFile(versionDirectory + "\\" + name, &copy) && copy == source) << name;
    }
}

// A 127-character name: with the setup folder in front the source path exceeds the 128
// characters the LZ library's own open takes; opened by its full path it is copied.
TEST_F(ShippedFaults, CorpusNameTooLongForTheLzLibrarysOpenIsCopied) {
    ASSERT_NO_FATAL_FAILURE(MakeCorpusFolder("copyfiles-long-name.inf"));
    const std::vector<std::string> names = {"UNIDRV.DLL", e2e::LongCorpusName()};
    ASSERT_GT((folder + "\\" + names[1]).size(), 128u);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    e2e::Sight finish = e2e::NextSight(wizard);
    ASSERT_EQ(finish.what, e2e::Shown::kFinish) << "saw " << e2e::Describe(finish);
    ASSERT_TRUE(SetCheck(finish.window, kFinishCheck, false));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(finish, korean::kSucceeded));
    ExpectDriverFiles(names);
    e2e::ExpectCopied(folder, names, kEnvironment);
}

TEST_F(ShippedFaults, TruncatedCompressedFileIsDamagedAndLeavesNoPartialCopy) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(e2e::TruncateCompressed(folder, "J71.GPD"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(
        e2e::ExpectMessage(e2e::NextSight(wizard), korean::kErrorCaption, korean::kFileDamaged));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(e2e::NextSight(wizard), korean::kFailed));
    ExpectNoPrinterOrDriverOfTheModel();
    // The files before it are whole copies; J71.GPD is in neither directory.
    ExpectDriverFiles({"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP"});
}

// A printer of the model's name left on a driver of another name: the model page finds no
// driver of the model's name and leaves the printer; the port page deletes it and then
// asks the spooler to delete a driver of the model's name, which does not exist. That
// refusal is the spooler's own, as on Windows (no seam in the shipped program), and ends
// the wizard on the port page.
TEST_F(ShippedFaults, EarlierPrinterOnAnotherDriverIsARemovalTheSpoolerRefuses) {
    const char other[] = "Zelmox J71 (earlier)";
    ASSERT_TRUE(spool::AddTestDriver(other, kEnvironment, 3));
    ASSERT_TRUE(spool::AddPrinterOn(kLaser, other, "LPT2:"));
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(e2e::ExpectBox(e2e::NextSight(wizard), korean::kRemovalFailedCaption,
                                           korean::kRemovalFailed));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(e2e::NextSight(wizard), korean::kFailed));

    EXPECT_FALSE(GetPrinterState(kLaser).exists) << "the removal deleted the earlier printer";
    EXPECT_TRUE(GetDriverState(other, kEnvironment).exists) << "the other driver stays";
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectDriverFiles({});
}

// ---- Systems the program refuses ----

// Run under the Windows version WINE_RUN_VERSION (winxp64 or win8) that the harness gives
// the prefix; skipped without it.
class ShippedRefusal : public korean::KoreanWizard {
  protected:
    ShippedRefusal() : KoreanWizard(korean::kShippedProgram) {}
    std::string version, seen;

    void SetUp() override {
        char value[32] = "";
        GetEnvironmentVariableA("WINE_RUN_VERSION", value, sizeof value);
        version = value;
        if (version.empty())
            GTEST_SKIP() << "runs under WINE_RUN_VERSION=winxp64 or win8 only";
        OSVERSIONINFOA info = {sizeof info};
        ASSERT_TRUE(GetVersionExA(&info));
        seen = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
        KoreanWizard::SetUp();
    }
};

TEST_F(ShippedRefusal, ShowsTheSystemMessageBoxAndNeverCreatesTheMainWindow) {
    EXPECT_EQ(seen, version == "winxp64" ? "5.2" : "6.2") << "under " << version;
    e2e::ExpectPlatformRefused(
        wizard, kSlow, [this](HWND box) { Screenshot(box, ("x86-refused-" + version).c_str()); });
}

} // namespace
