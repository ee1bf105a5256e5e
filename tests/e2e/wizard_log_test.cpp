// The wizard a person runs with /log: it installs as without it and logs each step; a
// log that cannot be opened is said in a box before anything else, and the program ends
// with 1622, having changed nothing.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;
using namespace e2e;

namespace {

class WizardLog : public InstallCase {
  protected:
    std::string Read(const std::string &path) {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(path, &text)) << "no log " << path;
        return text;
    }
};

TEST_F(WizardLog, EveryStepOfAnInstallationIsLogged) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    const std::string log = folder + "\\wizard.log";
    ASSERT_NO_FATAL_FAILURE(Start(nullptr, {}, "/log " + log));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    Sight sight = NextSight(wizard);
    ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(sight, kSucceeded)); // the box left ticked
    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
    EXPECT_EQ(DefaultPrinter(), kLaser);

    std::string text = Read(log);
    const std::string version = driverDirectory + "\\3\\";
    for (const std::string &line : {
             std::string("\"Zelmox J71 Laser\": install section [J71_LASER], 6 files"),
             "\\J71LASER.INI -> " + driverDirectory + "\\J71LASER.INI: ",
             driverDirectory + "\\J71LASER.INI -> " + version + "J71LASER.INI: copied",
             std::string("AddPrinterDriver \"Zelmox J71 Laser\" for Windows x64: ok"),
             std::string("AddPrinter \"Zelmox J71 Laser\" on COM1:: ok"),
             std::string("WriteProfileString windows device=\"Zelmox J71 Laser,"),
             std::string("the wizard ends: installed"),
         })
        EXPECT_NE(text.find(line), std::string::npos) << "no \"" << line << "\" in\n" << text;
}

TEST_F(WizardLog, ALogThatCannotBeOpenedIsSaidAndEndsWith1622) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    const std::string log = folder + "\\no such folder\\wizard.log";
    ASSERT_TRUE(StartWizard(&wizard, folder, build.program, {}, "/log \"" + log + "\""));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box, 15000)) << "no message box";
    EXPECT_EQ(box.caption, "Printer Driver Setup");
    EXPECT_EQ(box.text, "The log file cannot be opened:\r\n" + log);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    ASSERT_TRUE(Press(box.window, IDOK));
    EXPECT_EQ(WaitForExit(&wizard, 15000), 1622u);
    std::vector<std::string> created = CreatedWindowClasses(wizard);
    EXPECT_EQ(std::find(created.begin(), created.end(), "J71_Driver_Setup"), created.end())
        << "the wizard itself must not have started";
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles({});
}

} // namespace
