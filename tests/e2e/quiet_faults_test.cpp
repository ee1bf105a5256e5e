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

// A Standard TCP/IP port that cannot be had: 1603, with the monitor's status or the reason in
// the log, and no port left that the run made or changed. A monitor that is missing, or a
// port another printer uses with other settings, is found before anything changes.
TEST_F(QuietFaults, ANetworkPortThatCannotBeHadIs1603AndLeavesNoPortBehind) {
    const std::string laser = "/model \"Zelmox J71 Laser\" /ip 192.0.2.40";
    struct {
        bool monitor;
        std::string before, arguments, environment, logged;
        DWORD number; // the port's afterwards; 0 for none
        bool printerStays = false;
    } cases[] = {
        {false, "", laser, "",
         "the Standard TCP/IP Port monitor is missing, or refuses this account", 0},
        {true, "", laser, "TCPMON_TEST_REFUSE=AddPort=5",
         "XcvData AddPort IP_192.0.2.40: refused, status 5", 0},
        {true, "", laser, "DRVSETUP_FAULTS=AddPrinter=1801", "XcvData DeletePort IP_192.0.2.40: ok",
         0},
        {true, laser, laser + ":9101", "DRVSETUP_FAULTS=AddPrinter=1801",
         "XcvData ConfigPort IP_192.0.2.40: ok", 9100},
        {true, "/model \"Zelmox J71 Color\" /ip 192.0.2.40", laser + ":9101", "",
         "printer \"Zelmox J71 Color\" uses it; it is left as it is", 9100},
        // Only the default printer failed: the printer stands, and keeps its port.
        {true, "", laser + " /default", "DRVSETUP_FAULTS=WriteProfileString=5",
         "IP_192.0.2.40 stays: printer \"Zelmox J71 Laser\" uses it", 9100, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments + " " + c.environment);
        RemoveTcpMonitor();
        RestoreSpooler(spoolerBefore, driverDirectory);
        std::set<std::string> ports = SetOf(Ports());
        if (c.monitor)
            ASSERT_TRUE(InstallTcpMonitor());
        if (!c.before.empty())
            ASSERT_EQ(Run(c.before, ""), 0u) << Log();
        std::string printerBefore = GetPrinterState("Zelmox J71 Color").port;
        DWORD code = RunUnattended(kTestProgram, "/quiet " + c.arguments,
                                   c.environment.empty() ? std::vector<std::string>{}
                                                         : std::vector<std::string>{c.environment});
        EXPECT_EQ(code, 1603u);
        ExpectLogged(c.logged);
        ExpectLogged("exit code 1603");
        EXPECT_EQ(GetPrinterState(kLaser).exists, c.printerStays);
        EXPECT_EQ(GetPrinterState("Zelmox J71 Color").port, printerBefore);
        TcpPortRecord record = GetTcpPortRecord("IP_192.0.2.40");
        EXPECT_EQ(record.exists, c.number != 0);
        EXPECT_EQ(record.number, c.number);
        if (c.number)
            ports.insert("IP_192.0.2.40");
        EXPECT_EQ(SetOf(Ports()), ports);
        if (!c.monitor)
            ExpectDriverFiles({});
    }
}

// The removal deletes the printer's Standard TCP/IP port only when no other printer uses
// it; a port it cannot delete is 1603, the printer and driver gone all the same.
TEST_F(QuietFaults, TheRemovalDeletesAPortNoOtherPrinterUses) {
    ASSERT_TRUE(InstallTcpMonitor());
    for (const char *model : {"Zelmox J71 Laser", "Zelmox J71 Color"})
        ASSERT_EQ(Run(std::string("/model \"") + model + "\" /ip 192.0.2.50", ""), 0u) << Log();
    EXPECT_EQ(Run("/uninstall /model \"Zelmox J71 Laser\"", ""), 0u);
    ExpectLogged("IP_192.0.2.50 stays: printer \"Zelmox J71 Color\" uses it");
    EXPECT_TRUE(GetTcpPortRecord("IP_192.0.2.50").exists);

    std::vector<std::string> refused = {"TCPMON_TEST_REFUSE=DeletePort=5"};
    EXPECT_EQ(RunUnattended(kTestProgram, "/quiet /uninstall /model \"Zelmox J71 Color\"", refused),
              1603u);
    ExpectLogged("XcvData DeletePort IP_192.0.2.50: refused, status 5");
    ExpectLogged("the printer's Standard TCP/IP port cannot be deleted; exit code 1603");
    EXPECT_FALSE(GetPrinterState("Zelmox J71 Color").exists);
    EXPECT_TRUE(GetTcpPortRecord("IP_192.0.2.50").exists);
    std::vector<std::string> ports = Ports();
    EXPECT_NE(std::find(ports.begin(), ports.end(), "IP_192.0.2.50"), ports.end());
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
