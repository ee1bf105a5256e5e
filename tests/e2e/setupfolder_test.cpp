// Where people really put the setup folder, and what lies around it: a folder as deep as
// the platform's paths allow, stray driver files in the current directory, the Windows
// folders and on PATH, and another Unidrv printer's newer files in the version directory.
// The wizard and the unattended run are driven from outside; each case checks the files,
// the spooler and what the program said.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;
using namespace e2e;

namespace {

// The laser model's files as the deep folder keeps them: UNIDRVUI.DLL (compressed) under
// its compressed name, J71.GPD compressed under its own, UNIDRV.HLP plain.
const char kByCompressedName[] = "UNIDRVUI.DLL";
const char kStoredAs[] = "UNIDRVUI.DL_";

// A folder under C:\ whose path, without a final backslash, is `length` characters long,
// of components no longer than 100 characters.
std::string DeepFolderName(const std::string &top, size_t length) {
    std::string path = top;
    while (path.size() < length) {
        size_t room = length - path.size() - 1;
        size_t take = room <= 100 ? room : room - 100 >= 2 ? 100 : 90;
        path += "\\" + std::string(take, 'd');
    }
    return path;
}

// The last-write time of a file, as 100-nanosecond units since 1601.
bool SetWriteTime(const std::string &path, ULONGLONG time) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME written = {(DWORD)time, (DWORD)(time >> 32)};
    BOOL ok = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return ok != FALSE;
}

// "high,low" as the test builds' driver log writes ftDriverDate.
std::string DriverDateText(ULONGLONG time) {
    return std::to_string((unsigned long)(time >> 32)) + "," +
           std::to_string((unsigned long)(DWORD)time);
}

// The file in the version directory after the installation, where it held another
// printer's newer file: Windows' spooler keeps a newer file when it copies the driver's
// files into "3" at registration, and so does the program's own copy; Wine's spooler
// (localspl: APD_COPY_NEW_FILES not implemented) overwrites it with ours at registration.
// Exactly these two outcomes are accepted.
void ExpectNewerKeptOrSpoolerOverwrote(const std::string &copy, const std::string &newer,
                                       const std::string &ours) {
    bool kept = copy == newer;
    bool wineSpooler = copy == ours;
    printf("the version directory's file after registration: %s\n",
           kept          ? "the newer one, kept"
           : wineSpooler ? "ours, the spooler overwrote it"
                         : "?");
    EXPECT_TRUE(kept || wineSpooler)
        << "the file in \"3\" is neither the newer one kept nor ours (" << copy.size() << " bytes)";
}

class SetupFolder : public InstallCase {
  protected:
    std::vector<std::string> planted;

    void TearDown() override {
        InstallCase::TearDown();
        for (const std::string &path : planted)
            DeleteFileA(path.c_str());
    }

    // Puts a stray copy of a demo file at `path`, removed again after the case.
    void Plant(const std::string &path, const char *demoFile) {
        std::string directory = path.substr(0, path.find_last_of('\\'));
        CreateDirectoryA(directory.substr(0, directory.find_last_of('\\')).c_str(), nullptr);
        CreateDirectoryA(directory.c_str(), nullptr);
        ASSERT_TRUE(CopyOneFile(SourcePath(std::string("demo\\") + demoFile), path)) << path;
        planted.push_back(path);
    }

    // The deep setup folder: the demo's files and `program`, one compressed file under its
    // compressed name.
    void MakeDeepFolder(size_t length, const char *program) {
        folder = DeepFolderName("C:\\deep", length);
        ASSERT_EQ(folder.size(), length);
        ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(program)));
        ASSERT_TRUE(MoveFileExA((folder + "\\" + kByCompressedName).c_str(),
                                (folder + "\\" + kStoredAs).c_str(), MOVEFILE_REPLACE_EXISTING))
            << GetLastError();
    }

    // Every file of the laser model copied and expanded into both directories, the one
    // under its compressed name too, and the printer and driver registered.
    void ExpectInstalledFromTheDeepFolder() {
        std::vector<std::string> plainNames;
        for (const std::string &name : kLaserFiles)
            if (name != kByCompressedName)
                plainNames.push_back(name);
        ExpectCopied(folder, plainNames);
        std::string packed, copy;
        ASSERT_TRUE(ReadWholeFile(folder + "\\" + kStoredAs, &packed));
        ASSERT_EQ(packed.compare(0, 4, "SZDD"), 0);
        for (const std::string &where : {driverDirectory, versionDirectory}) {
            ASSERT_TRUE(ReadWholeFile(where + "\\" + kByCompressedName, &copy)) << where;
            EXPECT_TRUE(copy == ExpandSzdd(packed)) << where;
        }
        EXPECT_TRUE(GetPrinterState(kLaser).exists);
        EXPECT_TRUE(GetDriverState(kLaser, kEnvironment).exists);
    }

    DWORD RunQuiet(const char *program, const std::string &log,
                   const std::vector<std::string> &environment = {},
                   const std::string &currentDirectory = "") {
        EXPECT_TRUE(StartWizard(&wizard, folder, program, environment,
                                std::string("/quiet /model \"") + kLaser + "\" /log " + log,
                                currentDirectory));
        DWORD code = WaitForExit(&wizard, 60000);
        StopWizard(&wizard);
        return code;
    }
};

// The wizard from a setup folder whose longest path, the program's own, is MAX_PATH - 1
// characters: the setup information file, a plain file, a compressed one and one under
// its compressed name all work.
TEST_F(SetupFolder, TheWizardInstallsFromAFolderAsDeepAsPathsAllow) {
    const char *program = build.testProgram;
    ASSERT_NO_FATAL_FAILURE(MakeDeepFolder(MAX_PATH - 1 - 1 - strlen(program), program));
    ASSERT_EQ((folder + "\\" + program).size(), (size_t)MAX_PATH - 1);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kSucceeded));
    ExpectInstalledFromTheDeepFolder();
}

TEST_F(SetupFolder, TheUnattendedRunInstallsFromDeepFolders) {
    for (size_t length : {(size_t)200, MAX_PATH - 1 - 1 - strlen("drvsetup_x64.exe")}) {
        SCOPED_TRACE(length);
        ASSERT_NO_FATAL_FAILURE(MakeDeepFolder(length, "drvsetup_x64.exe"));
        const std::string log = "C:\\deep\\setup.log";
        EXPECT_EQ(RunQuiet("drvsetup_x64.exe", log), 0u);
        ExpectInstalledFromTheDeepFolder();
        std::string text;
        ASSERT_TRUE(ReadWholeFile(log, &text));
        EXPECT_NE(text.find(folder + "\\" + kStoredAs + " -> "), std::string::npos) << text;
        DeleteFileA(log.c_str());
        // The next length installs from nothing, not over this installation.
        RestoreSpooler(spoolerBefore, driverDirectory);
    }
}

// A file missing from the setup folder is missing, though files of its name lie in the
// current directory, the Windows and system folders and on PATH; the driver is dated by
// the setup folder's J71.DLL, not by the current directory's.
TEST_F(SetupFolder, DriverFilesAndTheDateComeFromTheSetupFolderAlone) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder("drvsetup_x64_t.exe"));
    ASSERT_TRUE(CopyOneFile(BinPath("drvsetup_x64.exe"), folder + "\\drvsetup_x64.exe"));
    const std::string current = "C:\\strays\\current", onPath = "C:\\strays\\onpath";
    char windows[MAX_PATH], system[MAX_PATH], path[4096] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    GetEnvironmentVariableA("PATH", path, sizeof path);
    for (const std::string &where : {current, std::string(windows), std::string(system), onPath})
        ASSERT_NO_FATAL_FAILURE(Plant(where + "\\UNIDRV.HLP", "UNIDRV.HLP"));
    ASSERT_NO_FATAL_FAILURE(Plant(current + "\\J71.DLL", "J71.DLL"));
    const ULONGLONG setupDate = 129445776000000000ULL, strayDate = 129830130000000000ULL;
    ASSERT_TRUE(SetWriteTime(folder + "\\J71.DLL", setupDate));
    ASSERT_TRUE(SetWriteTime(current + "\\J71.DLL", strayDate));
    const std::string driverLog = folder + "\\driver.log", log = folder + "\\setup.log";
    const std::vector<std::string> environment = {"PATH=" + onPath + ";" + path,
                                                  "DRVSETUP_DRIVER_LOG=" + driverLog};

    EXPECT_EQ(RunQuiet("drvsetup_x64_t.exe", log, environment, current), 0u);
    std::string records;
    ASSERT_TRUE(ReadWholeFile(driverLog, &records));
    EXPECT_NE(records.find("ftDriverDate=" + DriverDateText(setupDate)), std::string::npos)
        << records;
    EXPECT_EQ(records.find("ftDriverDate=" + DriverDateText(strayDate)), std::string::npos);
    RestoreSpooler(spoolerBefore, driverDirectory);

    ASSERT_TRUE(DeleteFileA((folder + "\\UNIDRV.HLP").c_str()));
    DeleteFileA(log.c_str());
    EXPECT_EQ(RunQuiet("drvsetup_x64_t.exe", log, environment, current), 1603u);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find(folder + "\\UNIDRV.HLP: cannot be opened"), std::string::npos) << text;
    EXPECT_FALSE(FileExists(driverDirectory + "\\UNIDRV.HLP"));
    ExpectNoPrinterOrDriverOfTheModel();

    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64_t.exe", WithQuickPauses(environment), "",
                            current));
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(NextSight(wizard), "Error", "File open error."));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(NextSight(wizard), kFailed));
    EXPECT_FALSE(FileExists(driverDirectory + "\\UNIDRV.HLP"));
    ExpectNoPrinterOrDriverOfTheModel();
}

// Another Unidrv printer's newer UNIDRV.DLL in "3" is kept by the program's copy, which
// says so; an older one is replaced.
TEST_F(SetupFolder, AnotherPrintersNewerFileInTheVersionDirectoryIsKept) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    std::string older, newer;
    ASSERT_TRUE(ReadWholeFile(BinPath("testdlls\\versioned_5_1.dll"), &older));
    ASSERT_TRUE(ReadWholeFile(BinPath("testdlls\\versioned_6_1.dll"), &newer));
    const std::string log = folder + "\\setup.log", inVersion = versionDirectory + "\\UNIDRV.DLL";

    ASSERT_TRUE(WriteTextFile(folder + "\\UNIDRV.DLL", older));
    ASSERT_TRUE(WriteTextFile(inVersion, newer));
    EXPECT_EQ(RunQuiet("drvsetup_x64.exe", log), 0u);
    std::string text, copy;
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_NE(text.find(inVersion.substr(2) + ": kept, its version 6.1.7600.16385 is newer than "
                                              "5.1.2600.0 of "),
              std::string::npos)
        << text;
    ASSERT_TRUE(ReadWholeFile(driverDirectory + "\\UNIDRV.DLL", &copy));
    EXPECT_TRUE(copy == older) << "the driver directory holds ours";
    ASSERT_TRUE(ReadWholeFile(inVersion, &copy));
    ExpectNewerKeptOrSpoolerOverwrote(copy, newer, older);
    RestoreSpooler(spoolerBefore, driverDirectory);

    ASSERT_TRUE(WriteTextFile(folder + "\\UNIDRV.DLL", newer));
    ASSERT_TRUE(WriteTextFile(inVersion, older));
    DeleteFileA(log.c_str());
    EXPECT_EQ(RunQuiet("drvsetup_x64.exe", log), 0u);
    ASSERT_TRUE(ReadWholeFile(log, &text));
    EXPECT_EQ(text.find(": kept, its version"), std::string::npos) << text;
    ASSERT_TRUE(ReadWholeFile(inVersion, &copy));
    EXPECT_TRUE(copy == newer);
}

} // namespace
