// The command line as an administrator types it, and the port chosen in advance.
#include "setupinfo/infparse.h"
#include "shell/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    int understood;
    CommandLine arguments;
};

Parsed Parse(const char *line) {
    Parsed parsed;
    parsed.understood = ParseCommandLine(line, &parsed.arguments);
    return parsed;
}

TEST(CommandLine, SwitchesInEitherFormAndAnyCase) {
    Parsed p = Parse("/QUIET -Model \"Zelmox J71 Laser\" /port LPT1: -DEFAULT /Log C:\\setup.log");
    ASSERT_TRUE(p.understood) << p.arguments.error;
    EXPECT_TRUE(p.arguments.quiet);
    EXPECT_TRUE(p.arguments.makeDefault);
    EXPECT_FALSE(p.arguments.help);
    EXPECT_STREQ(p.arguments.model, "Zelmox J71 Laser");
    EXPECT_STREQ(p.arguments.port, "LPT1:");
    EXPECT_STREQ(p.arguments.log, "C:\\setup.log");

    for (const char *line : {(const char *)"", "   \t ", (const char *)nullptr}) {
        Parsed none = Parse(line);
        EXPECT_TRUE(none.understood);
        EXPECT_FALSE(none.arguments.quiet || none.arguments.help || none.arguments.model[0]);
    }
    EXPECT_TRUE(Parse("-?").arguments.help);
    // A flag given twice is still one flag.
    EXPECT_TRUE(Parse("/quiet /quiet").understood);
}

// The runtime's rules for quotes and backslashes.
TEST(CommandLine, QuotesAndBackslashesAsTheRuntimeSplitsThem) {
    struct {
        const char *line, *model;
    } cases[] = {
        {"/model \"a b\"", "a b"},
        {"/model a\" b\"c", "a bc"},
        {"/model \"say \"\"hi\"\"\"", "say \"hi\""},
        {"/model a\\\\\"b c\"", "a\\b c"}, // 2n backslashes: n, and the quote groups
        {"/model a\\\"b", "a\"b"},         // 2n+1: n and a literal quote
        {"/model C:\\dir\\", "C:\\dir\\"}, // not before a quote: as they stand
        {"/model \"C:\\dir\\\\\"", "C:\\dir\\"},
        {"/model \"/quiet\"", "/quiet"}, // quoted, a value and never a switch
        {"/model \"unended", "unended"},
    };
    for (const auto &c : cases) {
        Parsed p = Parse(c.line);
        EXPECT_TRUE(p.understood) << c.line << ": " << p.arguments.error;
        EXPECT_STREQ(p.arguments.model, c.model) << c.line;
        EXPECT_FALSE(p.arguments.quiet) << c.line;
    }
}

// A wrong line names its first fault, and every switch around it is still read, so that
// /log and /? are honoured.
TEST(CommandLine, WrongLinesSayWhatIsWrong) {
    struct {
        const char *line, *error;
    } cases[] = {
        {"/quiet /silent", "unknown argument \"/silent\""},
        {"/quiet install", "unknown argument \"install\""},
        {"/quiet \"/default\"", "unknown argument \"/default\""},
        {"/model", "/model needs a value"},
        {"/model \"\"", "/model needs a value"},
        {"/port /quiet", "/port needs a value"},
        {"/log a.log /LOG b.log", "/LOG is given twice, with different values"},
        {"/x /y", "unknown argument \"/x\""},
    };
    for (const auto &c : cases) {
        Parsed p = Parse(c.line);
        EXPECT_FALSE(p.understood) << c.line;
        EXPECT_STREQ(p.arguments.error, c.error) << c.line;
    }
    // The switch that stood where a value belonged still counts.
    EXPECT_TRUE(Parse("/port /quiet").arguments.quiet);
    Parsed p = Parse("/bad /log run.log /?");
    EXPECT_STREQ(p.arguments.log, "run.log");
    EXPECT_TRUE(p.arguments.help);
    EXPECT_TRUE(Parse("/model a /model a").understood);

    // The folder check stands alone, and only unattended.
    EXPECT_TRUE(Parse("/quiet /check /log c.log").understood);
    EXPECT_STREQ(Parse("/check").arguments.error, "/check goes with /quiet");
    for (const char *line :
         {"/quiet /check /model a", "/quiet /check /port LPT1:", "/quiet /check /default"})
        EXPECT_STREQ(Parse(line).arguments.error, "/check takes no /model, /port or /default")
            << line;
}

// A removal is unattended only and names nothing an installation would make; the first
// fault of the line still wins, and every switch is still read.
TEST(CommandLine, UninstallGoesWithQuietAloneAndAModel) {
    Parsed p = Parse("-QUIET /Uninstall /model \"Zelmox J71 Laser\" /log u.log");
    ASSERT_TRUE(p.understood) << p.arguments.error;
    EXPECT_TRUE(p.arguments.uninstall);
    EXPECT_STREQ(p.arguments.model, "Zelmox J71 Laser");
    EXPECT_FALSE(Parse("/quiet /model a").arguments.uninstall);
    struct {
        const char *line, *error;
    } cases[] = {
        {"/uninstall /model a", "/uninstall needs /quiet"},
        {"/quiet /uninstall /model a /default", "/uninstall cannot go with /default"},
        {"/default /quiet /uninstall /model a /port LPT1:", "/uninstall cannot go with /default"},
        {"/quiet /uninstall /model a /port LPT1:", "/uninstall cannot go with /port"},
        {"/quiet /uninstall /bogus /default", "unknown argument \"/bogus\""},
    };
    for (const auto &c : cases) {
        Parsed wrong = Parse(c.line);
        EXPECT_FALSE(wrong.understood) << c.line;
        EXPECT_STREQ(wrong.arguments.error, c.error) << c.line;
        EXPECT_TRUE(wrong.arguments.uninstall) << c.line;
    }
}

// /ip and /lpr: what a line asks for, or the first reason it cannot be done. The host is an
// address or a name, never something between; the number and queue fit the monitor's record.
TEST(CommandLine, NetworkPortsAreReadOrRefusedWithTheReason) {
    const std::string host48 = std::string(44, 'h') + ".com", host49 = "h" + host48;
    const std::string queue32(32, 'q'), queue33(33, 'q');
    const char *neither = "the host of /ip is neither an IPv4 address nor a host name";
    const char *number = "the port number of /ip is not a number from 1 to 65535";
    struct {
        std::string line;
        const char *error;
        int protocol = 0;
        const char *host = "";
        unsigned number = 0;
        std::string queue = "";
    } cases[] = {
        {"/ip 192.0.2.10", "", 1, "192.0.2.10", 9100, ""},
        {"-IP printer-1.Example.com:9101", "", 1, "printer-1.Example.com", 9101, ""},
        {"/ip 255.255.255.255:65535", "", 1, "255.255.255.255", 65535, ""},
        {"/ip PRN7 /lpr PASSTHRU", "", 2, "PRN7", 515, "PASSTHRU"},
        {"/ip 10.0.0.1a /lpr " + queue32, "", 2, "10.0.0.1a", 515, queue32},
        {"/ip " + host48, "", 1, host48.c_str(), 9100, ""},
        {"/ip " + host49, "the host of /ip is longer than the 48 characters a port can hold"},
        {"/ip 192.0.2.300", neither},
        {"/ip 192.0.2", neither},
        {"/ip 192.0.2.010", neither},
        {"/ip 3232235786", neither},
        {"/ip printer_1", neither},
        {"/ip -printer", neither},
        {"/ip a..b", neither},
        {"/ip dr\xfc-cker", neither},
        {"/ip h:0", number},
        {"/ip h:65536", number},
        {"/ip h:+1", number},
        {"/ip h:99999999999999999999", number},
        {"/ip h:9100 /lpr q", "/ip takes no port number with /lpr (LPR printers listen on 515)"},
        {"/ip h /lpr " + queue33,
         "the queue of /lpr is longer than the 32 characters a port can hold"},
        {"/ip h /lpr \"a b\"",
         "the queue of /lpr may hold printable ASCII characters only, no blanks"},
        {"/ip h /lpr", "/lpr needs a value"},
        {"/lpr q", "/lpr goes with /ip"},
        {"/ip h /port LPT1:", "/ip cannot go with /port"},
        {"/uninstall /ip h", "/uninstall cannot go with /ip or /lpr"},
    };
    for (const auto &c : cases) {
        Parsed p = Parse(("/quiet /model a " + c.line).c_str());
        EXPECT_EQ(p.understood, !c.error[0]) << c.line;
        EXPECT_STREQ(p.arguments.error, c.error) << c.line;
        EXPECT_EQ(p.arguments.network.protocol, c.protocol) << c.line;
        EXPECT_STREQ(p.arguments.network.host, c.protocol ? c.host : "") << c.line;
        EXPECT_EQ(p.arguments.network.number, c.number) << c.line;
        EXPECT_EQ(p.arguments.network.queue, c.queue) << c.line;
    }
    // A person's wizard makes no port, nor does the folder check.
    EXPECT_STREQ(Parse("/model a /ip 192.0.2.10").arguments.error, "/ip needs /quiet");
    EXPECT_STREQ(Parse("/quiet /check /ip h").arguments.error, "/check takes no /ip or /lpr");
    EXPECT_FALSE(Parse("/quiet /model a /port LPT1:").arguments.network.protocol);
}

// The label rules apart from the length of the whole, and the port's name as the
// platform's Add Port wizard makes it.
TEST(CommandLine, HostNamesAndPortNames) {
    EXPECT_TRUE(IsHostName((std::string(63, 'a') + ".b").c_str()));
    EXPECT_FALSE(IsHostName((std::string(64, 'a') + ".b").c_str()));
    EXPECT_FALSE(IsHostName("192.0.2.1"));
    EXPECT_FALSE(IsHostName(""));
    EXPECT_TRUE(IsIpv4Address("192.0.2.1"));
    EXPECT_FALSE(IsIpv4Address("192.0.2.1 "));
    EXPECT_FALSE(IsIpv4Address("1920.0.2.1"));

    char name[TCP_PORT_NAME_SIZE];
    ASSERT_TRUE(TcpPortName(std::string(TCP_HOST_SIZE - 1, 'h').c_str(), name, sizeof name));
    EXPECT_EQ(std::string(name), "IP_" + std::string(TCP_HOST_SIZE - 1, 'h'));
    ASSERT_TRUE(TcpPortName("192.0.2.10", name, sizeof name));
    EXPECT_STREQ(name, "IP_192.0.2.10");
    char small[8];
    EXPECT_FALSE(TcpPortName("192.0.2.10", small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(CommandLine, ValuesFitTheirBuffersOrAreRefused) {
    std::string longest(ARGUMENT_SIZE - 1, 'm');
    Parsed p = Parse(("/model " + longest).c_str());
    EXPECT_TRUE(p.understood);
    EXPECT_EQ(p.arguments.model, longest);

    p = Parse(("/model " + longest + "m /quiet").c_str());
    EXPECT_FALSE(p.understood);
    EXPECT_STREQ(p.arguments.error, "the value of /model is too long");
    EXPECT_STREQ(p.arguments.model, "");
    EXPECT_TRUE(p.arguments.quiet);

    p = Parse(("/" + std::string(5000, 'x')).c_str());
    EXPECT_FALSE(p.understood);
    EXPECT_LT(strlen(p.arguments.error), (size_t)ARGUMENT_SIZE);
}

// The program's name as the platform's whole line carries it: a path with letters above
// 127, unquoted, is still one name (a Korean path in code page 949, a German one in 1252).
TEST(CommandLine, TheProgramsNameIsSplitOffWhateverItsLetters) {
    struct {
        const char *line, *rest;
    } cases[] = {
        {"C:\\Treiber\\Drucker_f\xfcr_B\xfcro\\drvsetup_x64.exe /quiet", " /quiet"},
        {"C:\\\xb5\xe5\xb6\xf3\xc0\xcc\xb9\xf6\\drvsetup_x86.exe\t/model a", "\t/model a"},
        {"\"C:\\Program Files\\J71\\drvsetup_x64.exe\" /?", " /?"},
        {"C:\\\"Program Files\"\\drvsetup_x64.exe -quiet", " -quiet"},
        {"drvsetup_x64.exe", ""},
        {"\"C:\\unended quote /quiet", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(SkipProgramName(c.line), c.rest) << c.line;
    EXPECT_EQ(SkipProgramName(nullptr), nullptr);

    Parsed p = Parse(SkipProgramName("C:\\B\xfcro\\drvsetup_x64.exe /quiet /model \"J71\""));
    EXPECT_TRUE(p.understood) << p.arguments.error;
    EXPECT_TRUE(p.arguments.quiet);
    EXPECT_STREQ(p.arguments.model, "J71");
}

const char *At(void *names, int index) {
    return (*(std::vector<const char *> *)names)[index];
}

int Preset(std::vector<const char *> names) {
    return PresetPortIndex((int)names.size(), At, &names);
}

TEST(PresetPort, InfraredFirstThenComOneElseNone) {
    EXPECT_EQ(Preset({"LPT1:", "COM1:", "FILE:", "IR:"}), 3);
    EXPECT_EQ(Preset({"LPT1:", "com1:", "COM1:"}), 1);
    EXPECT_EQ(Preset({"IrDA", "IR:"}), 0);
    EXPECT_EQ(Preset({"COM10:", "COM1:x"}), 1);
    EXPECT_EQ(Preset({"LPT1:", "COM10:", "I", nullptr, ""}), -1);
    EXPECT_EQ(Preset({}), -1);
    EXPECT_EQ(PresetPortIndex(3, nullptr, nullptr), -1);
}

} // namespace
