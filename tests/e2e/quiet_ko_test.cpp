// An unattended installation by the Korean build under code page 949, of a model with a
// Korean name: the name reaches the program through its command line in code page 949
// and comes out of the log readable, in UTF-8. Built for i686 it runs the shipped
// drvsetup_x86.exe on 32-bit Windows, where the installation succeeds; built for x86-64
// it runs the test build of the same sources, whose printer on a "Windows NT x86" driver
// 64-bit Wine refuses (error 87), so the run must fail with 1603 and say why. Then the
// same model is removed unattended, and a wizard started while another run holds the
// machine says so in Korean.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace robot;

namespace {

#ifdef _WIN64
const char kProgram[] = "drvsetup_ko64_t.exe";
const bool kPrinterPossible = false;
#else
const char kProgram[] = "drvsetup_x86.exe";
const bool kPrinterPossible = true;
#endif
const char kEnvironment[] = "Windows NT x86";
const char kModel[] = "젤목스 J71 레이저";

// UTF-8 as the system's ANSI code page spells it.
std::string Ansi(const std::string &utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], (int)wide.size()));
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &ansi[0],
                                    (int)ansi.size(), nullptr, nullptr));
    return ansi;
}

TEST(KoreanQuiet, AKoreanModelIsInstalledAndLoggedReadably) {
    ASSERT_EQ(GetACP(), 949u);
    const std::string folder = "C:\\quiet_ko", log = folder + "\\설치.log";
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(kProgram)));
    ASSERT_TRUE(WriteTextFile(folder + "\\J71.INF",
                              Ansi(std::string("[ZelmoxSystems]\r\n\"") + kModel +
                                   "\"=J71_LASER,ZELMOXJ71_LASER_0D3A\r\n[J71_LASER]\r\n"
                                   "CopyFiles=@UNIDRV.DLL,@J71.GPD,@J71LASER.INI\r\n")));
    std::string deviceBefore = ProfileDevice();

    Wizard wizard;
    ASSERT_TRUE(StartWizard(&wizard, folder, kProgram, {},
                            std::string("/quiet /model \"") + kModel + "\" /default /log " + log));
    DWORD code = WaitForExit(&wizard, 120000);
    EXPECT_TRUE(CreatedWindowClasses(wizard).empty());
    StopWizard(&wizard);

    std::string text;
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find(std::string("args     model \"") + kModel + "\", port COM1:"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(std::string("AddPrinterDriver \"") + kModel + "\" for Windows NT x86: ok"),
              std::string::npos)
        << text;
    DriverState driver = GetDriverState(kModel, kEnvironment);
    EXPECT_TRUE(driver.exists);
    // Into the spooler's own driver directory: on 64-bit Windows that is the x64 one.
    e2e::ExpectCopied(folder, {"UNIDRV.DLL", "J71.GPD", "J71LASER.INI"}, "");
    if (kPrinterPossible) {
        EXPECT_EQ(code, 0u) << text;
        EXPECT_EQ(GetPrinterState(kModel).port, "COM1:");
        EXPECT_EQ(DefaultPrinter(), kModel);
        EXPECT_NE(text.find("end      installed; exit code 0"), std::string::npos) << text;
    } else {
        EXPECT_EQ(code, 1603u) << text;
        EXPECT_NE(
            text.find(std::string("AddPrinter \"") + kModel + "\" on COM1:: failed, error 87"),
            std::string::npos)
            << text;
        EXPECT_FALSE(GetPrinterState(kModel).exists);
        EXPECT_EQ(ProfileDevice(), deviceBefore);
    }

    // The removal: printer (where there is one), driver and the model's files go.
    ASSERT_TRUE(
        StartWizard(&wizard, folder, kProgram, {},
                    std::string("/quiet /uninstall /model \"") + kModel + "\" /log " + log));
    code = WaitForExit(&wizard, 120000);
    EXPECT_TRUE(CreatedWindowClasses(wizard).empty());
    StopWizard(&wizard);
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_EQ(code, 0u) << text;
    EXPECT_NE(text.find("end      removed; exit code 0"), std::string::npos) << text;
    EXPECT_FALSE(GetPrinterState(kModel).exists);
    EXPECT_FALSE(GetDriverState(kModel, kEnvironment).exists);
    std::string directory = DriverDirectory(kEnvironment);
    for (const char *name : {"UNIDRV.DLL", "J71.GPD", "J71LASER.INI"}) {
        EXPECT_FALSE(FileExists(directory + "\\" + name)) << name;
        EXPECT_FALSE(FileExists(directory + "\\3\\" + name)) << name;
    }
}

// A network printer: the port made through the Standard TCP/IP port monitor (on the 32-bit
// platform the stand-in built for i686), the printer on it, and the removal taking both
// away. Built for x86-64 the test build's printer is refused (error 87, as above), and the
// failed run takes back the port it made.
TEST(KoreanQuiet, ANetworkPrinterIsInstalledAndRemovedWithItsPort) {
    ASSERT_TRUE(InstallTcpMonitor());
    const std::string folder = "C:\\quiet_ko_ip", log = folder + "\\setup.log";
    const std::string port = "IP_192.0.2.60";
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(kProgram)));
    auto run = [&](const std::string &arguments, std::string *text) {
        Wizard wizard;
        DeleteFileA(log.c_str());
        EXPECT_TRUE(StartWizard(&wizard, folder, kProgram, {}, arguments + " /log " + log));
        DWORD code = WaitForExit(&wizard, 120000);
        EXPECT_TRUE(CreatedWindowClasses(wizard).empty());
        StopWizard(&wizard);
        EXPECT_TRUE(ReadWholeFile(log, text));
        return code;
    };
    auto listed = [&port]() {
        std::vector<std::string> ports = Ports();
        return std::find(ports.begin(), ports.end(), port) != ports.end();
    };

    std::string text;
    DWORD code = run("/quiet /model \"Zelmox J71 Laser\" /ip 192.0.2.60 /lpr PASSTHRU", &text);
    EXPECT_NE(text.find("XcvData AddPort " + port + ": ok"), std::string::npos) << text;
    if (kPrinterPossible) {
        EXPECT_EQ(code, 0u) << text;
        EXPECT_EQ(GetPrinterState("Zelmox J71 Laser").port, port);
        EXPECT_TRUE(listed());
        TcpPortRecord record = GetTcpPortRecord(port);
        EXPECT_EQ(record.protocol, 2u);
        EXPECT_EQ(record.host, "192.0.2.60");
        EXPECT_EQ(record.queue, "PASSTHRU");
    } else {
        EXPECT_EQ(code, 1603u) << text;
        EXPECT_NE(text.find("XcvData DeletePort " + port + ": ok"), std::string::npos) << text;
        EXPECT_FALSE(listed());
    }

    EXPECT_EQ(run("/quiet /uninstall /model \"Zelmox J71 Laser\"", &text), 0u) << text;
    EXPECT_FALSE(GetPrinterState("Zelmox J71 Laser").exists);
    EXPECT_FALSE(GetDriverState("Zelmox J71 Laser", kEnvironment).exists);
    EXPECT_FALSE(listed());
    EXPECT_FALSE(GetTcpPortRecord(port).exists);
}

// Another run holds the machine: the wizard says so in the build's language at the model
// page's Next, its first change, and stays there with nothing changed.
TEST(KoreanQuiet, AWizardWhileAnotherRunHoldsTheMachineSaysSoInKorean) {
    const std::string folder = "C:\\busy_ko";
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(kProgram)));
    HANDLE lock = CreateMutexA(nullptr, TRUE, "Global\\J71_Driver_Setup_Run");
    ASSERT_TRUE(lock);
    std::vector<std::string> printers = Printers();
    Wizard wizard;
    ASSERT_TRUE(StartWizard(&wizard, folder, kProgram));
    HWND welcome = WaitForPage(wizard, kWelcomeText, 60000);
    ASSERT_TRUE(welcome);
    Press(welcome, kNext);
    HWND model = WaitForPage(wizard, kModelList, 60000);
    ASSERT_TRUE(model);
    Press(model, kNext);
    HWND message = WaitForMessageDialog(wizard, 60000);
    ASSERT_TRUE(message);
    // Read in UTF-16 and compared in UTF-8, whatever this program's own code page.
    wchar_t text[512] = L"";
    GetDlgItemTextW(message, kMessageText, text, 512);
    char utf8[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    EXPECT_STREQ(utf8, "다른 설치가 진행 중입니다. 설치가 끝난 후 다시 실행하십시오.");
    Press(message, kOk);
    ASSERT_TRUE(WaitGone(message, 30000));
    EXPECT_TRUE(FindWindowOf(wizard, "", kModelList)) << "the model page stays";
    ASSERT_NO_FATAL_FAILURE(e2e::CancelToTheEnd(wizard, model));
    StopWizard(&wizard);
    EXPECT_EQ(Printers(), printers);
    ReleaseMutex(lock);
    CloseHandle(lock);
}

// A Korean setup folder as deep as the platform's paths allow: the program's own path is
// MAX_PATH - 1 characters (Korean letters count as two in code page 949), and the setup
// information file, a compressed file, a plain one and one under its compressed name
// are all read from there.
TEST(KoreanQuiet, ADeepKoreanSetupFolderInstalls) {
    ASSERT_EQ(GetACP(), 949u);
    std::string folder = Ansi("C:\\설치");
    const size_t length = MAX_PATH - 1 - 1 - strlen(kProgram);
    while (folder.size() < length) {
        size_t room = length - folder.size() - 1;
        size_t take = room <= 100 ? room : room - 100 >= 2 ? 100 : 90;
        folder += "\\" + std::string(take, 'k');
    }
    std::wstring wide(folder.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.data(), (int)folder.size(), &wide[0],
                                    (int)wide.size()));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &utf8[0],
                                    (int)utf8.size(), nullptr, nullptr));
    ASSERT_EQ((folder + "\\" + kProgram).size(), (size_t)MAX_PATH - 1);
    // The robot speaks UTF-8; the program's log gives its paths in UTF-8 too.
    ASSERT_TRUE(MakeSetupFolder(utf8, SourcePath("demo"), BinPath(kProgram)));
    ASSERT_TRUE(MoveFileExA((folder + "\\UNIDRVUI.DLL").c_str(),
                            (folder + "\\UNIDRVUI.DL_").c_str(), MOVEFILE_REPLACE_EXISTING));
    const std::string log = "C:\\quiet_ko_deep.log";

    Wizard wizard;
    ASSERT_TRUE(
        StartWizard(&wizard, utf8, kProgram, {}, "/quiet /model \"Zelmox J71 Laser\" /log " + log));
    DWORD code = WaitForExit(&wizard, 120000);
    StopWizard(&wizard);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find(utf8 + "\\UNIDRVUI.DL_ -> "), std::string::npos) << text;
    EXPECT_NE(text.find(utf8 + "\\J71.GPD -> "), std::string::npos) << text;
    EXPECT_NE(text.find("AddPrinterDriver \"Zelmox J71 Laser\" for Windows NT x86: ok"),
              std::string::npos)
        << text;
    std::vector<std::string> plain = e2e::kLaserFiles;
    plain.erase(std::find(plain.begin(), plain.end(), "UNIDRVUI.DLL"));
    e2e::ExpectCopied(utf8, plain, "");
    std::string packed, copy;
    ASSERT_TRUE(ReadWholeFile(utf8 + "\\UNIDRVUI.DL_", &packed));
    ASSERT_TRUE(ReadWholeFile(DriverDirectory("") + "\\UNIDRVUI.DLL", &copy));
    EXPECT_TRUE(copy == e2e::ExpandSzdd(packed));
    EXPECT_EQ(code, kPrinterPossible ? 0u : 1603u) << text;
}

} // namespace
