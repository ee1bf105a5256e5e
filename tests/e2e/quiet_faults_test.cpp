// The unattended run's failures that Wine never produces by itself, through the test
// build's seams: each ends with 1603 (or 1639 for a port it cannot choose), says why in
// its log and shows nothing at all: a message box would wait for a person nobody is,
// and hang a deployment.
#include "../win/spooler_fixture.h"
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;
using namespace e2e;

namespace {

const char kTestProgram[] = "drvsetup_x64_t.exe";
const char kPortsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

class QuietFaults : public InstallCase {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        ASSERT_NO_FATAL_FAILURE(MakeFolder(kTestProgram));
    }

    // Runs the test build unattended with `faults` injected; its exit code.
    DWORD Run(const std::string &arguments, const std::string &faults) {
        std::vector<std::string> environment;
        if (!faults.empty())
            environment.push_back("DRVSETUP_FAULTS=" + faults);
        return RunUnattended(kTestProgram, "/quiet " + arguments, environment);
    }
};

TEST_F(QuietFaults, AModelWithNothingToInstallIs1603) {
    ASSERT_TRUE(CopyOneFile(SourcePath("tests\\e2e\\corpus\\inf\\entry-missing-section.inf"),
                            folder + "\\J71.INF"));
    EXPECT_EQ(Run("/model \"Zelmox J71 Laser\"", ""), 1603u);
    ExpectLogged("the model has nothing that can be installed; exit code 1603");
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles({});
}

TEST_F(QuietFaults, AnEarlierInstallationThatCannotBeRemovedIs1603) {
    ASSERT_TRUE(spool::AddTestDriver(kLaser, kEnvironment, 3));
    ASSERT_TRUE(spool::AddPrinterOn(kLaser, kLaser, "LPT2:"));
    EXPECT_EQ(Run("/model \"Zelmox J71 Laser\"", "DeletePrinter=5"), 1603u);
    ExpectLogged("the earlier printer or driver of the model cannot be removed; exit code 1603");
    // The earlier printer stands as it was; nothing was copied.
    EXPECT_EQ(GetPrinterState(kLaser).port, "LPT2:");
    ExpectDriverFiles({});
}

TEST_F(QuietFaults, TheDriverRefusedIs1603) {
    EXPECT_EQ(Run("/model \"Zelmox J71 Laser\"", "AddPrinterDriver=1797"), 1603u);
    ExpectLogged("failed, error 1797");
    ExpectLogged("the spooler did not take the driver or the printer; exit code 1603");
    ExpectNoPrinterOrDriverOfTheModel();
}

TEST_F(QuietFaults, ADefaultPrinterThatCannotBeSetIs1603) {
    EXPECT_EQ(Run("/model \"Zelmox J71 Laser\" /default", "WriteProfileString=5"), 1603u);
    ExpectLogged("the default printer cannot be set; exit code 1603");
    EXPECT_EQ(ProfileDevice(), deviceBefore);
    // The installation itself stands, as the wizard's would.
    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
}

// The unattended run registers once: a driver the spooler refuses is not asked for again
// (the wizard's writing steps would), and the run fails without a box.
TEST_F(QuietFaults, ADriverRefusedOnceIsNotAskedForAgain) {
    EXPECT_EQ(Run("/model \"Zelmox J71 Laser\"", "AddPrinterDriver=1797*1"), 1603u);
    ExpectLogged("AddPrinterDriver \"Zelmox J71 Laser\" for Windows x64: failed, error 1797");
    std::string log = Log();
    size_t first = log.find("AddPrinterDriver \"");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find("AddPrinterDriver \"", first + 1), std::string::npos)
        << "the driver was asked for twice:\n"
        << log;
    ExpectNoPrinterOrDriverOfTheModel();
}

// Without /port the run takes what the port page would: an infrared port, else COM1:.
// With neither listed by the spooler the command line cannot be carried out.
TEST_F(QuietFaults, NeitherAnInfraredPortNorCom1Is1639) {
    HKEY ports;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_ALL_ACCESS, &ports), 0);
    char value[256] = "";
    DWORD size = sizeof value, type = REG_SZ;
    bool had = RegQueryValueExA(ports, "COM1:", NULL, &type, (LPBYTE)value, &size) == 0;
    ASSERT_TRUE(had) << "the prefix lists no COM1: to take away";
    ASSERT_EQ(RegDeleteValueA(ports, "COM1:"), 0);
    std::vector<std::string> listed = Ports();
    bool gone = std::find(listed.begin(), listed.end(), "COM1:") == listed.end();

    DWORD code = gone ? Run("/model \"Zelmox J71 Laser\"", "") : 0;
    RegSetValueExA(ports, "COM1:", 0, type, (LPBYTE)value, size);
    RegCloseKey(ports);
    ASSERT_TRUE(gone) << "the spooler still lists COM1:";
    EXPECT_EQ(code, 1639u);
    ExpectLogged("exit code 1639");
    ExpectNoPrinterOrDriverOfTheModel();
    ExpectDriverFiles({});
    EXPECT_EQ(ProfileDevice(), deviceBefore);
}

} // namespace
