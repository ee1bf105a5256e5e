// The program as an administrator deploys it: started with a command line by a script,
// it installs with no window at all and tells the outcome by its exit code and its log.
// Each case checks the spooler, the driver files and the default printer it leaves, and
// that a refused command line changes nothing. A person's preselecting run is here too.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

using namespace robot;
using namespace e2e;

namespace {

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
    return lines;
}

class Quiet : public InstallCase {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        logPath = folder + "\\setup.log";
        ASSERT_NO_FATAL_FAILURE(MakeFolder());
    }

    // Runs the program with `arguments` to its end; its exit code.
    DWORD Run(const std::string &arguments, const char *program = "drvsetup_x64.exe",
              const std::vector<std::string> &environment = {}) {
        StopWizard(&wizard);
        EXPECT_TRUE(StartWizard(&wizard, folder, program, environment, arguments));
        DWORD code = WaitForExit(&wizard, 60000);
        EXPECT_TRUE(CreatedWindowClasses(wizard).empty()) << "an unattended run made a window";
        return code;
    }
};

TEST_F(Quiet, InstallsTheModelOnThePortAsTheDefaultPrinterAndLogsEveryStep) {
    ASSERT_EQ(
        Run("/quiet /model \"" + std::string(kColor) + "\" -PORT lpt1: /default /log " + logPath),
        0u);

    PrinterState printer = GetPrinterState(kColor);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "LPT1:") << "the spooler's own spelling of the port";
    EXPECT_EQ(printer.driver, kColor);
    EXPECT_EQ(printer.datatype, "NT EMF 1.008");
    EXPECT_TRUE(GetDriverState(kColor, kEnvironment).exists);
    ExpectCopied(folder, kColorFiles);
    EXPECT_EQ(DefaultPrinter(), kColor);

    // One line per step: local time to the millisecond, the step, what it did.
    std::vector<std::string> lines = Lines(Log());
    ASSERT_GE(lines.size(), 20u);
    const std::regex shape(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [a-z]+ +\S.*)");
    for (const std::string &line : lines)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    std::string log = Log();
    for (const std::string &name : kColorFiles) {
        EXPECT_NE(log.find(folder + "\\" + name + " -> "), std::string::npos)
            << name << " not logged";
        EXPECT_NE(log.find(driverDirectory.substr(2) + "\\3\\" + name + ": copied"),
                  std::string::npos)
            << name << " in \"3\" not logged";
    }
    for (const char *step :
         {"args     model \"Zelmox J71 Color\", port LPT1:, as the default printer",
          "J71.GPD: expanded, ",
          "register AddPrinterDriver \"Zelmox J71 Color\" for Windows x64: ok",
          "register AddPrinter \"Zelmox J71 Color\" on LPT1:: ok",
          "WriteProfileString windows device=\"Zelmox J71 Color,Zelmox J71 Color,LPT1:\": ok"})
        EXPECT_NE(log.find(step), std::string::npos) << step;
    EXPECT_NE(lines.front().find("start    unattended installation"), std::string::npos);
    EXPECT_NE(lines.back().find("end      installed; exit code 0"), std::string::npos);

    // A second run appends to the same log, and replaces the installation it finds on
    // another port.
    ASSERT_EQ(Run("/quiet /model \"zelmox j71 color\" /log " + logPath), 0u);
    EXPECT_EQ(Lines(Log()).front(), lines.front());
    EXPECT_GT(Lines(Log()).size(), lines.size());
    EXPECT_EQ(GetPrinterState(kColor).port, "COM1:") << "no /port: the port page's choice";
}

// /ip: the printer on a Standard TCP/IP port that the run makes through the port monitor,
// for either protocol, as the spooler's ports and the monitor's own record show; the same
// line again finds it all installed and changes nothing; the removal deletes the port, as
// no other printer uses it.
TEST_F(Quiet, InstallsOnANetworkPortOfEitherProtocolAndRemovesIt) {
    ASSERT_TRUE(InstallTcpMonitor());
    struct {
        std::string arguments, port;
        DWORD protocol, number;
        std::string host, queue;
    } cases[] = {
        {"/ip 192.0.2.10", "IP_192.0.2.10", 1, 9100, "192.0.2.10", ""},
        {"/ip prn-7.example.com /lpr PASSTHRU", "IP_prn-7.example.com", 2, 515, "prn-7.example.com",
         "PASSTHRU"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string line =
            "/quiet /model \"Zelmox J71 Laser\" " + c.arguments + " /log " + logPath;
        DeleteFileA(logPath.c_str());
        ASSERT_EQ(Run(line), 0u) << Log();
        ExpectRegistered(kLaser, kEnvironment, c.port, kLaserFiles);
        std::vector<std::string> ports = Ports();
        EXPECT_EQ(std::count(ports.begin(), ports.end(), c.port), 1) << "not listed: " << c.port;
        TcpPortRecord record = GetTcpPortRecord(c.port);
        ASSERT_TRUE(record.exists);
        EXPECT_EQ(record.protocol, c.protocol);
        EXPECT_EQ(record.number, c.number);
        EXPECT_EQ(record.host, c.host);
        EXPECT_EQ(record.queue, c.queue);
        EXPECT_EQ(record.snmp, 0u);
        EXPECT_NE(Log().find("XcvData AddPort " + c.port + ": ok"), std::string::npos) << Log();

        DeleteFileA(logPath.c_str());
        ASSERT_EQ(Run(line), 0u) << Log();
        ExpectRegistered(kLaser, kEnvironment, c.port, kLaserFiles);
        EXPECT_NE(Log().find(c.port + " is there with these settings; used as it is"),
                  std::string::npos)
            << Log();
        EXPECT_NE(Log().find("end      already installed; nothing changed; exit code 0"),
                  std::string::npos)
            << Log();
        for (const char *change : {"XcvData AddPort", "XcvData ConfigPort"})
            EXPECT_EQ(Log().find(change), std::string::npos) << "the port was changed:\n" << Log();
        EXPECT_EQ(SetOf(Ports()), SetOf(ports));

        DeleteFileA(logPath.c_str());
        ASSERT_EQ(Run("/quiet /uninstall /model \"Zelmox J71 Laser\" /log " + logPath), 0u)
            << Log();
        EXPECT_FALSE(GetPrinterState(kLaser).exists);
        EXPECT_FALSE(GetTcpPortRecord(c.port).exists);
        ports = Ports();
        EXPECT_EQ(std::count(ports.begin(), ports.end(), c.port), 0) << "still listed";
    }
}

// Network lines one after the other, each with its exit code and the port it leaves: a
// wrong one changes nothing; the port is made, then used as it stands by the same line,
// then set to other settings while only the model's own printer used it; a printer on a
// new port leaves the earlier port alone.
TEST_F(Quiet, NetworkLinesAndThePortsTheyLeave) {
    ASSERT_TRUE(InstallTcpMonitor());
    const char *none = "";
    struct {
        std::string arguments;
        DWORD code;
        const char *port; // the printer's, with the monitor's record below; "" for no printer
        DWORD protocol, number;
        std::string queue, logged;
    } cases[] = {
        {"/ip 192.0.2.300", 1639, none, 0, 0, "", "neither an IPv4 address nor a host name"},
        {"/ip 192.0.2.20 /lpr " + std::string(33, 'q'), 1639, none, 0, 0, "",
         "the queue of /lpr is longer than the 32 characters"},
        {"/lpr lp1", 1639, none, 0, 0, "", "/lpr goes with /ip"},
        {"/ip 192.0.2.20:9101", 0, "IP_192.0.2.20", 1, 9101, "",
         "XcvData AddPort IP_192.0.2.20: ok"},
        {"/ip 192.0.2.20:9101", 0, "IP_192.0.2.20", 1, 9101, "", "used as it is"},
        {"/ip 192.0.2.20 /lpr lp1", 0, "IP_192.0.2.20", 2, 515, "lp1",
         "XcvData ConfigPort IP_192.0.2.20: ok"},
        {"/ip PRN-9 /default", 0, "IP_PRN-9", 1, 9100, "", "XcvData AddPort IP_PRN-9: ok"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        std::set<std::string> ports = SetOf(Ports());
        DeleteFileA(logPath.c_str());
        EXPECT_EQ(Run("/quiet /model \"Zelmox J71 Laser\" " + c.arguments + " /log " + logPath),
                  c.code);
        EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
        if (!c.port[0]) {
            ExpectNothingChanged();
            continue;
        }
        ExpectRegistered(kLaser, kEnvironment, c.port, kLaserFiles);
        ports.insert(c.port);
        EXPECT_EQ(SetOf(Ports()), ports) << "the ports before, and the printer's";
        TcpPortRecord record = GetTcpPortRecord(c.port);
        EXPECT_EQ(record.protocol, c.protocol);
        EXPECT_EQ(record.number, c.number);
        EXPECT_EQ(record.queue, c.queue);
    }
    EXPECT_EQ(GetTcpPortRecord("IP_192.0.2.20").protocol, 2u) << "an unused port is left alone";
    EXPECT_EQ(DefaultPrinter(), kLaser);
}

// Every refused command line, and a log that cannot be written, change nothing on the
// machine; each says why in the log where there is one.
TEST_F(Quiet, AWrongCommandLineOrLogChangesNothing) {
    struct {
        std::string arguments, logged;
        DWORD code;
    } cases[] = {
        {"/quiet /modle Laser", "unknown argument \"/modle\"", 1639},
        {"/quiet /model", "/model needs a value", 1639},
        {"/quiet /default", "/quiet needs /model", 1639},
        {"/quiet /model \"Zelmox J71 Scanner\"", "model \"Zelmox J71 Scanner\" is not listed",
         1639},
        {"/quiet /model \"Zelmox J71 Laser\" /port LPT9:",
         "port \"LPT9:\" is not listed by the spooler", 1639},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        DeleteFileA(logPath.c_str());
        EXPECT_EQ(Run(c.arguments + " /log " + logPath), c.code);
        EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
        EXPECT_NE(Log().find("wrong command line; exit code 1639"), std::string::npos);
        ExpectNothingChanged();
    }
    EXPECT_EQ(Run("/quiet /model \"Zelmox J71 Laser\" /log " + folder + "\\no\\such.log"), 1622u);
    EXPECT_EQ(Run("/quiet /model \"Zelmox J71 Laser\" /log " + folder), 1622u);
    ExpectNothingChanged();
    // Asked for the usage, an unattended run shows nothing and installs nothing.
    EXPECT_EQ(Run("/quiet /?"), 0u);
    ExpectNothingChanged();
}

// An unsupported version, and the Korean 32-bit program on 64-bit Windows (WoW64, through
// the test build's seam: a local printer needs a driver of the machine's own environment):
// 1633 unattended, the system's box in the wizard, nothing changed.
TEST_F(Quiet, AnUnsupportedSystemIsRefusedWithNothingChanged) {
    ASSERT_TRUE(SetWineVersion("winxp64"));
    DWORD code = Run("/quiet /model \"Zelmox J71 Laser\" /log " + logPath);
    ASSERT_TRUE(SetWineVersion("win7"));
    EXPECT_EQ(code, 1633u);
    EXPECT_NE(Log().find("this system is not one the driver supports; exit code 1633"),
              std::string::npos);
    ExpectNothingChanged();

    const std::vector<std::string> wow64 = {"DRVSETUP_FAULTS=Wow64=1"};
    ASSERT_TRUE(CopyOneFile(BinPath("drvsetup_ko64_t.exe"), folder + "\\drvsetup_ko64_t.exe"));
    DeleteFileA(logPath.c_str());
    EXPECT_EQ(
        Run("/quiet /model \"Zelmox J71 Laser\" /log " + logPath, "drvsetup_ko64_t.exe", wow64),
        1633u);
    EXPECT_NE(Log().find("this system is not one the driver supports; exit code 1633"),
              std::string::npos)
        << Log();
    StopWizard(&wizard);
    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_ko64_t.exe", wow64));
    e2e::ExpectPlatformRefused(wizard, 30000, [](HWND) {});
    StopWizard(&wizard);
    ExpectNothingChanged();
}

// A driver file missing, or a spooler that refuses the printer: 1603, and what the
// wizard would leave is left (the files copied before, the driver registered).
TEST_F(Quiet, AFailedInstallationIs1603AndAnnouncesNoPrinter) {
    ASSERT_TRUE(DeleteFileA((folder + "\\J71.DLL").c_str()));
    EXPECT_EQ(Run("/quiet /model \"Zelmox J71 Laser\" /log " + logPath), 1603u);
    EXPECT_NE(Log().find(folder + "\\J71.DLL: cannot be opened"), std::string::npos) << Log();
    EXPECT_NE(Log().find("a driver file cannot be copied; exit code 1603"), std::string::npos);
    EXPECT_FALSE(GetPrinterState(kLaser).exists);
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    EXPECT_FALSE(FileExists(driverDirectory + "\\J71.DLL"));

    ASSERT_TRUE(CopyOneFile(SourcePath("demo\\J71.DLL"), folder + "\\J71.DLL"));
    DeleteFileA(logPath.c_str());
    EXPECT_EQ(Run("/quiet /model \"Zelmox J71 Laser\" /default /log " + logPath,
                  "drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=AddPrinter=1801"}),
              1603u);
    EXPECT_NE(Log().find("AddPrinter \"Zelmox J71 Laser\" on COM1:: failed, error 1801"),
              std::string::npos)
        << Log();
    EXPECT_FALSE(GetPrinterState(kLaser).exists);
    EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists)
        << "registered, as the wizard leaves it";
    EXPECT_EQ(ProfileDevice(), deviceBefore);
}

// Without /quiet a person gets the wizard, with the named model and port chosen in
// advance; /? shows the usage and nothing else.
TEST_F(Quiet, APersonsRunChoosesTheNamedEntriesInAdvance) {
    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe", {},
                            "/model \"ZELMOX J71 NETWORK\" /port LPT2:"));
    HWND welcome = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(welcome);
    Press(welcome, kNext);
    HWND model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model);
    EXPECT_EQ(ListSelection(model, kModelList), 2);
    Press(model, kNext);
    HWND port = WaitForPage(wizard, kPortList);
    ASSERT_TRUE(port);
    std::vector<std::string> ports = ListItems(port, kPortList);
    int selected = ListSelection(port, kPortList);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(ports[selected], "LPT2:");
    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(wizard, port));
    StopWizard(&wizard);

    for (const char *arguments : {"/?", "/port"}) {
        SCOPED_TRACE(arguments);
        ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe", {}, arguments));
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box));
        EXPECT_NE(box.text.find("/quiet"), std::string::npos) << box.text;
        EXPECT_EQ(box.text.find("The command line is wrong: /port needs a value.") == 0,
                  std::string(arguments) == "/port");
        Press(box.window, IDOK);
        EXPECT_EQ(WaitForExit(&wizard, 15000), std::string(arguments) == "/?" ? 0u : 1639u);
        StopWizard(&wizard);
    }
    ExpectNothingChanged();
}

} // namespace

namespace {

// What the display-less runs of tests/e2e/no_display.sh left in their prefix, checked
// with the display back; elsewhere this case skips itself.
TEST(NoDisplay, TheUnattendedInstallationCompleted) {
    char folder[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("NO_DISPLAY_FOLDER", folder, sizeof folder))
        GTEST_SKIP() << "needs the display-less runs of no_display.sh";
    PrinterState printer = GetPrinterState(kLaser);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "COM1:");
    EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists);
    ExpectCopied(folder, kLaserFiles);
    EXPECT_EQ(DefaultPrinter(), kLaser);
    std::string log;
    ASSERT_TRUE(ReadWholeFile(std::string(folder) + "\\setup.log", &log));
    EXPECT_NE(log.find("end      installed; exit code 0"), std::string::npos) << log;
}

} // namespace
