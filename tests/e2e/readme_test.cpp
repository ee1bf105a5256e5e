// The administrators' recipes as README.md gives them: every command block that starts the
// program is read from the file and run by the platform's command interpreter as it stands
// (only the share's path put in place), and the spooler, the log and the detection rule
// are checked after each.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

const char kShare[] = "\\\\server\\drivers\\J71";
// The network port of the deployment recipes.
const char kRecipePort[] = "IP_192.0.2.10";
const char kPrintersKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

std::string ReadReadme() {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(SourcePath("README.md"), &text)) << "no README.md";
    return text;
}

// The ```bat blocks of the README that start the x64 program, in their order.
std::vector<std::string> ProgramBlocks(const std::string &readme) {
    std::vector<std::string> blocks;
    std::istringstream in(readme);
    std::string line, block;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!inside && line == "```bat") {
            inside = true;
            block.clear();
        } else if (inside && line == "```") {
            inside = false;
            if (block.find("drvsetup_x64.exe") != std::string::npos)
                blocks.push_back(block);
        } else if (inside) {
            block += line + "\r\n";
        }
    }
    return blocks;
}

// The detection rule's key, as the README names it in backquotes, below HKLM.
std::string DetectionKey(const std::string &readme) {
    size_t at = readme.find(std::string("`") + kPrintersKey);
    if (at == std::string::npos)
        return "";
    size_t end = readme.find('`', at + 1);
    return readme.substr(at + 1 + strlen("HKEY_LOCAL_MACHINE\\"),
                         end - at - 1 - strlen("HKEY_LOCAL_MACHINE\\"));
}

bool KeyExists(const std::string &key) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

class Readme : public InstallCase {
  protected:
    std::vector<std::string> blocks;
    std::string detectionKey;
    PROCESS_INFORMATION running = {};

    void SetUp() override {
        InstallCase::SetUp();
        if (HasFatalFailure())
            return;
        MakeFolder();
        std::string readme = ReadReadme();
        blocks = ProgramBlocks(readme);
        detectionKey = DetectionKey(readme);
        // Windows 2000 and XP have no Logs folder: the recipes must make it themselves.
        RemoveLogsFolder();
        // The deployment recipes install on a network port, through the platform's monitor.
        ASSERT_TRUE(InstallTcpMonitor());
    }

    static void RemoveLogsFolder() {
        for (const std::string &name : FilesIn("C:\\windows\\Logs"))
            DeleteFileA(("C:\\windows\\Logs\\" + name).c_str());
        RemoveDirectoryA("C:\\windows\\Logs");
        EXPECT_FALSE(FileExists("C:\\windows\\Logs")) << "the Logs folder cannot be removed";
    }

    void TearDown() override {
        if (running.hProcess) {
            TerminateProcess(running.hProcess, 1);
            CloseHandle(running.hProcess);
        }
        InstallCase::TearDown();
    }

    // The one block holding `mark` (and none other does).
    std::string Block(const std::string &mark) {
        std::string found;
        int count = 0;
        for (const std::string &block : blocks)
            if (block.find(mark) != std::string::npos) {
                found = block;
                count++;
            }
        EXPECT_EQ(count, 1) << "blocks holding " << mark;
        return found;
    }

    // Starts `block` as a .cmd file under cmd.exe in the setup folder.
    void Start(const std::string &block) {
        std::string script = block;
        for (size_t at; (at = script.find(kShare)) != std::string::npos;)
            script.replace(at, strlen(kShare), folder);
        std::string path = folder + "\\recipe.cmd";
        ASSERT_TRUE(WriteTextFile(path, script));
        std::string line = "cmd.exe /c \"" + path + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                   nullptr, folder.c_str(), &startup, &running));
        CloseHandle(running.hThread);
    }

    DWORD Finish() {
        EXPECT_EQ(WaitForSingleObject(running.hProcess, 180000), WAIT_OBJECT_0);
        DWORD code = 999;
        GetExitCodeProcess(running.hProcess, &code);
        CloseHandle(running.hProcess);
        running = {};
        return code;
    }

    DWORD RunBlock(const std::string &block) {
        Start(block);
        return HasFatalFailure() ? 999 : Finish();
    }
};

// The README holds exactly the four command blocks this test knows, and the detection
// rule; each block runs as it stands, on a system without %SystemRoot%\Logs (as 2000 and
// XP are) as well as with it.
TEST_F(Readme, EveryRecipeRunsAsWritten) {
    ASSERT_EQ(blocks.size(), 4u) << "a command block of the README that no test runs";
    ASSERT_EQ(detectionKey,
              "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + std::string(kLaser));

    // The first example: installs and sets the default printer of the running account.
    std::string example = Block("/default");
    EXPECT_EQ(RunBlock(example), 0u);
    ExpectRegistered(kLaser, kEnvironment, "LPT1:", kLaserFiles);
    EXPECT_EQ(DefaultPrinter(), kLaser);

    // The deployment tool's uninstall, then its install: the detection rule follows.
    std::string uninstall = Block("/uninstall");
    std::string install;
    for (const std::string &block : blocks)
        if (block.find("/default") == std::string::npos &&
            block.find("/uninstall") == std::string::npos &&
            block.find("@echo off") == std::string::npos)
            install = block;
    ASSERT_FALSE(install.empty());
    RemoveLogsFolder();
    EXPECT_EQ(RunBlock(uninstall), 0u);
    EXPECT_FALSE(KeyExists(detectionKey));
    EXPECT_FALSE(GetDriverState(kLaser, kEnvironment).exists);
    EXPECT_EQ(RunBlock(uninstall), 1605u) << "nothing left to remove";
    RemoveLogsFolder();
    EXPECT_EQ(RunBlock(install), 0u);
    EXPECT_TRUE(KeyExists(detectionKey));
    ExpectRegistered(kLaser, kEnvironment, kRecipePort, kLaserFiles);
    EXPECT_EQ(GetTcpPortRecord(kRecipePort).number, 9100u);
    EXPECT_EQ(RunBlock(install), 0u) << "a second run over the installation";
    std::string log;
    ASSERT_TRUE(ReadWholeFile("C:\\windows\\Logs\\j71-setup.log", &log));
    EXPECT_NE(log.find("end      installed; exit code 0"), std::string::npos);
    EXPECT_NE(log.find("end      already installed; nothing changed; exit code 0"),
              std::string::npos)
        << log;
    EXPECT_EQ(RunBlock(uninstall), 0u);
    EXPECT_FALSE(KeyExists(detectionKey));
    EXPECT_FALSE(GetTcpPortRecord(kRecipePort).exists) << "the recipe's port outlived its printer";
}

// The start-up script installs, on a system without %SystemRoot%\Logs; while another run
// holds the machine it waits and tries again, and succeeds once the machine is free; at the
// next boot it leaves the installation as it is.
TEST_F(Readme, TheStartUpScriptInstallsAndRetriesABusyMachine) {
    std::string script = Block("@echo off");
    ASSERT_EQ(script.find("/default"), std::string::npos) << "LocalSystem: no /default";
    ASSERT_NE(script.find("%SystemRoot%\\Logs\\"), std::string::npos);
    const std::string log = "C:\\windows\\Logs\\j71-setup.log";
    DeleteFileA(log.c_str());

    HANDLE lock = CreateMutexA(nullptr, TRUE, "Global\\J71_Driver_Setup_Run");
    ASSERT_TRUE(lock);
    Start(script);
    ASSERT_FALSE(HasFatalFailure());
    std::string text;
    ULONGLONG end = Now() + 60000;
    while (Now() < end && text.find("exit code 1618") == std::string::npos) {
        Pump(200);
        ReadWholeFile(log, &text);
    }
    EXPECT_NE(text.find("exit code 1618"), std::string::npos) << text;
    ReleaseMutex(lock);
    CloseHandle(lock);
    EXPECT_EQ(Finish(), 0u);
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find("end      installed; exit code 0"), std::string::npos) << text;
    ExpectRegistered(kLaser, kEnvironment, kRecipePort, kLaserFiles);
    ExpectCopied(folder, kLaserFiles);
    EXPECT_TRUE(KeyExists(detectionKey));
    EXPECT_EQ(RunBlock(script), 0u);
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find("end      already installed; nothing changed; exit code 0"),
              std::string::npos)
        << text;
}

} // namespace
