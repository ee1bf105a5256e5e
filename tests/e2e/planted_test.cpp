// DLLs planted beside the program, as an ordinary user could in a downloaded setup folder,
// under every name Windows would look for there first (build/planted: each exports what
// the system's DLL of that name exports, passes calls on to it and leaves a mark beside
// itself when loaded). The harness sets Wine to search as Windows does for exactly those
// names (native first); VERSION.DLL is left out, as Wine's own user32.dll loads it before the
// program's first line, which Windows' does not. Whole installations through the wizard
// and unattended must succeed with no planted DLL loaded. Built for x86-64 it drives
// drvsetup_x64 (and the test build without SetDefaultDllDirectories); built for i686 the
// shipped drvsetup_x86 on the 32-bit platform.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

// The search order the harness sets for the whole test (WINE_RUN_DLLOVERRIDES): Wine takes
// it from the environment the process tree starts with, not from one handed to a child.
const char kPlantedFirst[] =
    "lz32,winspool.drv,uxtheme,comctl32,dwmapi,userenv,propsys,apphelp,oleacc,cryptbase=n,b";

class Planted : public InstallCase {
  protected:
    Planted() : InstallCase(kOwnBuild) {}

    void SetUp() override {
        char overrides[1024] = "";
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        ASSERT_NE(std::string(overrides).find(kPlantedFirst), std::string::npos)
            << "Wine would not search as Windows does: WINEDLLOVERRIDES=" << overrides;
        InstallCase::SetUp();
    }

    // The setup folder with the program (`program`, the build's unless given) and every
    // planted DLL beside it.
    void Plant(const char *program = nullptr) {
        ASSERT_NO_FATAL_FAILURE(MakeFolder(program));
        std::vector<std::string> planted = FilesIn(BinPath("planted"));
        ASSERT_GE(planted.size(), 10u) << "the planted DLLs are not built";
        for (const std::string &name : planted)
            ASSERT_TRUE(CopyOneFile(BinPath("planted\\" + name), folder + "\\" + name)) << name;
    }

    // The marks the planted DLLs left: one per DLL that was loaded.
    std::vector<std::string> Marks() {
        std::vector<std::string> marks;
        for (const std::string &name : FilesIn(folder))
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".mark") == 0)
                marks.push_back(name);
        return marks;
    }

    // An unattended installation of the laser model on LPT1:, logged; its exit code.
    DWORD RunQuiet(const char *program, const std::vector<std::string> &environment) {
        return RunUnattended(
            program, "/quiet /model \"" + std::string(kLaser) + "\" /port LPT1:", environment);
    }

    // The whole road with the first model and port, ending on the success page; the
    // default printer box left ticked.
    void InstallThroughTheWizard(const char *program, const std::vector<std::string> &environment) {
        ASSERT_NO_FATAL_FAILURE(Start(program, environment));
        ASSERT_NO_FATAL_FAILURE(WalkToCopy());
        ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard, 120000), build.succeeded));
        ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, build.environment, "COM1:", kLaserFiles));
        ExpectCopied(folder, kLaserFiles, build.environment);
        EXPECT_EQ(DefaultPrinter(), kLaser);
    }
};

TEST_F(Planted, TheWizardInstallsWithNoPlantedDllLoaded) {
    ASSERT_NO_FATAL_FAILURE(Plant());
    ASSERT_NO_FATAL_FAILURE(InstallThroughTheWizard(build.program, {}));
    EXPECT_EQ(Marks(), std::vector<std::string>{}) << "planted DLLs were loaded";
}

TEST_F(Planted, TheUnattendedRunInstallsWithNoPlantedDllLoaded) {
    ASSERT_NO_FATAL_FAILURE(Plant());
    EXPECT_EQ(RunQuiet(build.program, {}), 0u) << Log();
    EXPECT_NE(Log().find("dlls     system folder only (SetDefaultDllDirectories)"),
              std::string::npos)
        << Log();
    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, build.environment, "LPT1:", kLaserFiles));
    EXPECT_EQ(Marks(), std::vector<std::string>{}) << "planted DLLs were loaded";
}

#ifdef _WIN64
// LZ32.dll or WINSPOOL.DRV that cannot be loaded from the system folder (the test build
// pretends so: Wine loads its own for any path in the system folder) ends the run before
// anything changes, never with a crash: 1603 and the reason in the log unattended, the
// system's message box in the wizard, which loads them while its reading status shows and
// ends there, before any page.
TEST_F(Planted, ASystemDllThatCannotBeLoadedEndsTheRunWithNothingChanged) {
    const char *program = "drvsetup_x64_t.exe";
    ASSERT_NO_FATAL_FAILURE(MakeFolder(program));
    for (const std::string name : {"LZ32.dll", "WINSPOOL.DRV"}) {
        SCOPED_TRACE(name);
        const std::vector<std::string> missing = {"DRVSETUP_FAULTS=NoLibrary=" + name};
        DeleteFileA((folder + "\\setup.log").c_str());
        ASSERT_TRUE(StartWizard(&wizard, folder, program, missing,
                                "/quiet /model \"" + std::string(kLaser) + "\" /log " + folder +
                                    "\\setup.log"));
        EXPECT_EQ(WaitForExit(&wizard, 60000), 1603u);
        StopWizard(&wizard);
        EXPECT_NE(Log().find("\\" + name + " cannot be loaded"), std::string::npos) << Log();
        EXPECT_NE(Log().find("a system DLL cannot be loaded; exit code 1603"), std::string::npos);

        ASSERT_TRUE(StartWizard(&wizard, folder, program, missing));
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box, kSlow)) << "no message box";
        EXPECT_EQ(box.caption, "Printer Driver Setup");
        EXPECT_EQ(box.text, "A system file cannot be loaded:\r\n" +
                                DriverDirectory().substr(0, DriverDirectory().find("\\spool")) +
                                "\\" + name);
        EXPECT_FALSE(FindWindowOf(wizard, "", kWelcomeText));
        Press(box.window, IDOK);
        EXPECT_EQ(WaitForExit(&wizard, kSlow), 0u);
        EXPECT_FALSE(FindWindowOf(wizard, "", kWelcomeText)) << "a page came after the box";
        StopWizard(&wizard);
    }
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles({});
}

// Where the system lacks SetDefaultDllDirectories (2000, XP, Vista, an unpatched Windows 7;
// the test build pretends so), the DLLs the system would look for by name are loaded from
// the system folder before any window: still no planted DLL gets in.
TEST_F(Planted, WithoutSetDefaultDllDirectoriesTheSystemDllsArePreloaded) {
    ASSERT_NO_FATAL_FAILURE(Plant("drvsetup_x64_t.exe"));
    const std::vector<std::string> missing = {
        "DRVSETUP_FAULTS=NoProcedure=SetDefaultDllDirectories"};
    EXPECT_EQ(RunQuiet("drvsetup_x64_t.exe", missing), 0u) << Log();
    EXPECT_NE(Log().find("dlls     system DLLs preloaded by full path, SetDllDirectoryA(\"\")"),
              std::string::npos)
        << Log();
    EXPECT_EQ(Marks(), std::vector<std::string>{}) << "planted DLLs were loaded unattended";

    ASSERT_NO_FATAL_FAILURE(InstallThroughTheWizard("drvsetup_x64_t.exe", missing));
    EXPECT_EQ(Marks(), std::vector<std::string>{}) << "planted DLLs were loaded by the wizard";
}
#endif

} // namespace
