// The shipped Korean program, drvsetup_x86.exe as it is delivered, on the 32-bit Windows
// platform (32-bit Wine, where "Windows NT x86" is the spooler's own environment), under
// code page 949: the platform itself, one whole installation through every page (road.h),
// checked by what it leaves behind, and long file names in the longer driver directory.
// The faults, the first steps and the refused systems are the x86 builds of
// faults_test.cpp and foundation_test.cpp.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace robot;
using e2e::kLaser;
using e2e::kLaserFiles;
using e2e::kSlow;

namespace {

const char kEnvironment[] = "Windows NT x86";

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
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(e2e::kX86Build.program)));
    Wizard wizard;
    ASSERT_TRUE(StartWizard(&wizard, folder, e2e::kX86Build.program));
    EXPECT_EQ(WaitForExit(&wizard, 60000), 0u);
    StopWizard(&wizard);
}

// ---- One whole installation ----

class ShippedRoad : public e2e::InstallCase {
  protected:
    ShippedRoad() : InstallCase(e2e::kX86Build) {}
};

TEST_F(ShippedRoad, EveryPageInKoreanEndsWithPrinterDriverFilesAndDefaultPrinter) {
    ASSERT_NO_FATAL_FAILURE(DriveWholeRoad(true, "x86"));
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

// ---- Long names, each in a setup folder of its own ----

class ShippedFaults : public e2e::InstallCase {
  protected:
    ShippedFaults() : InstallCase(e2e::kX86Build) {}

    void SetUp() override {
        ASSERT_EQ(GetACP(), 949u) << "the Korean program must run under code page 949";
        InstallCase::SetUp();
    }

    // Installs through the wizard from a setup folder of the corpus's driver files with
    // `inf` as its J71.INF, where the corpus test puts it (the folder's length decides which
    // names the LZ library can open); the default printer left alone.
    void InstallFromCorpus(const std::string &inf) {
        folder = "C:\\corpus\\" + inf.substr(0, inf.size() - 4);
        MakeFolder(nullptr, "tests\\e2e\\corpus\\files");
        EXPECT_TRUE(
            CopyOneFile(SourcePath("tests\\e2e\\corpus\\inf\\" + inf), folder + "\\J71.INF"));
        Start();
        WalkToCopy();
        e2e::Sight finish = e2e::NextSight(wizard);
        EXPECT_EQ(finish.what, e2e::Shown::kFinish) << "saw " << e2e::Describe(finish);
        EXPECT_TRUE(SetCheck(finish.window, kFinishCheck, false));
        ExpectFinish(finish, e2e::kKorean.succeeded);
    }
};

// Thirteen names of 74 to 78 characters: in "...\w32x86\3\" (three characters longer than
// the x64 directory) each destination comes within a few characters of the 128 the LZ
// library's open record holds, and every one must still be copied whole.
TEST_F(ShippedFaults, CorpusLongNamesAreCopiedIntoTheLongerDriverDirectory) {
    ASSERT_NO_FATAL_FAILURE(InstallFromCorpus("copyfiles-1023.inf"));
    std::vector<std::string> names = e2e::PartNames();
    ASSERT_NO_FATAL_FAILURE(e2e::ExpectRegistered(kLaser, kEnvironment, "COM1:", names));
    ExpectDriverFiles(names);
    for (const std::string &name : names)
        EXPECT_LT((versionDirectory + "\\" + name).size(), 128u);
    e2e::ExpectCopied(folder, names, kEnvironment);
}

// A 127-character name: with the setup folder in front the source path exceeds the 128
// characters the LZ library's own open takes; opened by its full path it is copied.
TEST_F(ShippedFaults, CorpusNameTooLongForTheLzLibrarysOpenIsCopied) {
    const std::vector<std::string> names = {"UNIDRV.DLL", e2e::LongCorpusName()};
    ASSERT_NO_FATAL_FAILURE(InstallFromCorpus("copyfiles-long-name.inf"));
    ASSERT_GT((folder + "\\" + names[1]).size(), 128u);
    ExpectDriverFiles(names);
    e2e::ExpectCopied(folder, names, kEnvironment);
}

} // namespace
