// The program started by a script with its path unquoted, in a folder whose name has
// letters above 127: a German one in code page 1252 for the English program, a Korean one
// in code page 949 for the shipped Korean program on the 32-bit platform. The whole path
// must be taken as the program's name, whatever the runtime's start-up code makes of it.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;

namespace {

#ifdef _WIN64
const char kFolder[] = "C:\\Treiber\\Drucker_für_Büro";
#else
const char kFolder[] = "C:\\드라이버\\프린터_설치";
#endif

class StartLine : public e2e::InstallCase {
  protected:
    StartLine() : InstallCase(e2e::kOwnBuild) {}
    std::string line;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        folder = kFolder;
        line = folder + "\\" + build.program;
        ASSERT_NO_FATAL_FAILURE(MakeFolder(build.program));
    }
};

TEST_F(StartLine, AnUnquotedPathIsTheProgramsNameAndTheRestItsArguments) {
    const std::string log = std::string(kFolder) + "\\setup.log";
    ASSERT_TRUE(StartWithCommandLine(
        &wizard, kFolder, line + " /quiet /model \"Zelmox J71 Laser\" /port LPT1: /log " + log));
    DWORD code = WaitForExit(&wizard, 120000);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(log, &text)) << "no log: the line was not understood";
    EXPECT_EQ(code, 0u) << text;
    EXPECT_NE(text.find("args     model \"Zelmox J71 Laser\", port LPT1:"), std::string::npos)
        << text;
    EXPECT_EQ(GetPrinterState(e2e::kLaser).port, "LPT1:");
    EXPECT_TRUE(GetDriverState(e2e::kLaser, build.environment).exists);
}

// A person's run reads its switches the same way: /? is the usage, not a wrong line.
TEST_F(StartLine, TheWizardStartedSoShowsItsUsage) {
    ASSERT_TRUE(StartWithCommandLine(&wizard, kFolder, line + " /?"));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box, 30000)) << "no usage box";
    EXPECT_EQ(box.text.rfind("Installs the printer driver", 0), 0u) << box.text;
    ASSERT_TRUE(Press(box.window, IDOK));
    EXPECT_EQ(WaitForExit(&wizard, 30000), 0u);
}

} // namespace
