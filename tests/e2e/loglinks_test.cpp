// The log is the file named and nothing else. A name an ordinary user made in advance in a
// folder anyone may write to (a hard link to another file, a symbolic link, a link to a
// folder on the way) is refused with 1622 and nothing changed: not the other file, not the
// other folder, not the spooler. Wine 8 shows a Unix symbolic link as the file it leads to
// (no reparse point), where Windows shows the link itself: either way the program refuses,
// and only that, which holds on both, is asserted.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace robot;
using namespace e2e;

namespace {

const char kPrecious[] = "another file's contents\r\n";

// A symbolic link `link` to `target` (`folder` set for a folder): made with the system's
// own call where it makes one (Windows, as an administrator); Wine 8 answers that call
// with success and makes nothing, so there it is a Unix link, made by ln.
bool MakeSymbolicLink(const std::string &link, const std::string &target, bool folder) {
    if (CreateSymbolicLinkA(link.c_str(), target.c_str(),
                            folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) &&
        GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    typedef char *(__cdecl * UnixName)(const WCHAR *);
    UnixName unixName = (UnixName)(void (*)(void))GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                 "wine_get_unix_file_name");
    if (!unixName)
        return false;
    std::wstring wideLink(link.begin(), link.end()), wideTarget(target.begin(), target.end());
    // The link's folder exists; its own name does not yet: named through the folder.
    size_t slash = wideLink.find_last_of(L'\\');
    char *linkFolder = unixName(wideLink.substr(0, slash).c_str());
    char *targetPath = unixName(wideTarget.c_str());
    if (!linkFolder || !targetPath)
        return false;
    std::string command = "ln -s \"" + std::string(targetPath) + "\" \"" + linkFolder + "/" +
                          link.substr(slash + 1) + "\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessA("Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

class LogLinks : public InstallCase {
  protected:
    std::string outside; // a folder of files the log must never reach

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        ASSERT_NO_FATAL_FAILURE(MakeFolder());
        outside = std::string("C:\\outside\\") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA("C:\\outside", nullptr);
        ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
        ASSERT_TRUE(WriteTextFile(outside + "\\precious.txt", kPrecious));
    }

    // An unattended installation logging to `log`: its exit code.
    DWORD Quiet(const std::string &log) {
        EXPECT_TRUE(StartWizard(&wizard, folder, build.program, {},
                                "/quiet /model \"" + std::string(kLaser) + "\" /log " + log));
        DWORD code = WaitForExit(&wizard, 60000);
        StopWizard(&wizard);
        return code;
    }

    // The wizard started with /log `log`: the box that says the log cannot be opened, OK,
    // then exit code 1622 and no wizard page.
    void ExpectWizardRefuses(const std::string &log) {
        ASSERT_TRUE(StartWizard(&wizard, folder, build.program, {}, "/log " + log));
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box)) << "no message box";
        EXPECT_EQ(box.text, "The log file cannot be opened:\r\n" + log);
        Press(box.window, IDOK);
        EXPECT_EQ(WaitForExit(&wizard, 15000), 1622u);
        std::vector<std::string> created = CreatedWindowClasses(wizard);
        EXPECT_EQ(std::find(created.begin(), created.end(), "J71_Driver_Setup"), created.end());
        StopWizard(&wizard);
    }

    // Nothing changed: the other file as it was, nothing new beside it, no installation.
    void ExpectNothingChanged() {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(outside + "\\precious.txt", &text));
        EXPECT_EQ(text, kPrecious) << "the file outside was written";
        EXPECT_EQ(FilesIn(outside), std::vector<std::string>{"precious.txt"});
        ExpectNoPrinterOrDriverOfTheModel();
        ExpectDriverFiles({});
    }
};

// A hard link to a file outside (Wine, like Windows, counts two links).
TEST_F(LogLinks, AHardLinkToAnotherFileIsRefused) {
    std::string log = folder + "\\setup.log";
    ASSERT_TRUE(CreateHardLinkA(log.c_str(), (outside + "\\precious.txt").c_str(), nullptr));
    EXPECT_EQ(Quiet(log), 1622u);
    ASSERT_NO_FATAL_FAILURE(ExpectWizardRefuses(log));
    ExpectNothingChanged();
}

// A symbolic link named as the log, leading to a file that exists and to one that does not.
TEST_F(LogLinks, ASymbolicLinkNamedAsTheLogIsRefused) {
    std::string log = folder + "\\setup.log", dangling = folder + "\\dangling.log";
    ASSERT_TRUE(MakeSymbolicLink(log, outside + "\\precious.txt", false));
    ASSERT_TRUE(MakeSymbolicLink(dangling, outside + "\\new.log", false));
    EXPECT_EQ(Quiet(log), 1622u);
    EXPECT_EQ(Quiet(dangling), 1622u);
    ASSERT_NO_FATAL_FAILURE(ExpectWizardRefuses(log));
    ExpectNothingChanged();
}

// A link to another folder on the way: neither a new log nor an existing file there.
TEST_F(LogLinks, ALinkToAnotherFolderOnTheWayIsRefused) {
    ASSERT_TRUE(MakeSymbolicLink(folder + "\\logs", outside, true));
    EXPECT_EQ(Quiet(folder + "\\logs\\new.log"), 1622u);
    EXPECT_EQ(Quiet(folder + "\\logs\\precious.txt"), 1622u);
    ASSERT_NO_FATAL_FAILURE(ExpectWizardRefuses(folder + "\\logs\\new.log"));
    ExpectNothingChanged();
}

// A log that does not exist yet is created, and named in full in its first line however
// it was named on the command line.
TEST_F(LogLinks, ANewLogIsCreatedAndItsFirstLineNamesItsFullPath) {
    EXPECT_EQ(Quiet("setup.log"), 0u);
    std::string log;
    ASSERT_TRUE(ReadWholeFile(folder + "\\setup.log", &log));
    std::string first = log.substr(0, log.find("\r\n"));
    EXPECT_NE(first.find("start    unattended installation"), std::string::npos) << first;
    EXPECT_NE(first.find(", log " + folder + "\\setup.log, "), std::string::npos) << first;
    EXPECT_NE(log.find("end      installed; exit code 0"), std::string::npos) << log;
}

} // namespace
