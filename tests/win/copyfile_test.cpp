// The copy engine against the real platform: files made by mscompress expanded by the
// platform's LZ library, plain files copied, real files held open, and the program's own
// error messages answered from a second thread.
#include <gtest/gtest.h>

#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"
#include "win/dialog_driver.h"
#include "win/session_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace fixture;

// A message dialog as the answering thread saw it.
struct Message {
    std::string caption;
    std::string text;
    HWND owner;
};

// Calls CopyOneFile on this thread while a second one answers each message dialog with
// OK and keeps what it showed.
int CopyAnswering(HWND page, int index, std::vector<Message> *seen) {
    return (int)drive::WhileAnswering(
        [page, index] { return (INT_PTR)CopyOneFile(page, index); }, IDC_MSG_TEXT,
        [seen](HWND dialog) {
            seen->push_back({drive::WindowText(dialog), drive::ControlText(dialog, IDC_MSG_TEXT),
                             GetWindow(dialog, GW_OWNER)});
            drive::Press(dialog, IDOK);
        });
}

// Empties a directory of test files and removes it.
void RemoveTree(const std::string &directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

std::string ControlText(HWND page, int id) {
    char text[1024] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// A setup folder (the program's folder, and here the current directory too), a driver
// directory of the test's own with its version directory "3", and a page window with
// the two statics that show the file and the directory.
class CopyOneFileTest : public ::testing::Test {
  protected:
    std::string base, setup, drivers, version;
    HWND page = NULL;

    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        base = fixture::TempFolderName("copytest");
        setup = base + "\\setup";
        drivers = base + "\\drivers";
        version = drivers + "\\3";
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(setup.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(drivers.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(version.c_str(), NULL));
        ASSERT_TRUE(fixture::EnterDirectory(setup, previousDirectory));

        g_session.driverVersion = 3;
        snprintf(g_session.setupFolder, sizeof g_session.setupFolder, "%s\\", setup.c_str());
        snprintf(g_session.driverDirectory, sizeof g_session.driverDirectory, "%s\\",
                 drivers.c_str());
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        StartCopyRun(); // each case is a copy run of its own, whatever ran before it

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = g_instance;
        windowClass.lpszClassName = "CopyTestPage";
        RegisterClassA(&windowClass);
        page = CreateWindowA("CopyTestPage", "Copying Files...", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             100, 100, 400, 150, NULL, NULL, g_instance, NULL);
        CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 360, 16, page,
                      (HMENU)IDC_COPY_FILE, g_instance, NULL);
        CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 30, 360, 16, page,
                      (HMENU)IDC_COPY_DIRECTORY, g_instance, NULL);
    }

    void TearDown() override {
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        DestroyWindow(page);
        SetCurrentDirectoryA(previousDirectory);
        RemoveTree(base);
    }

    void Source(const char *name, const char *fixture) {
        std::string bytes = ReadBytes(DataPath(fixture));
        ASSERT_FALSE(bytes.empty()) << DataPath(fixture);
        WriteBytes(setup + "\\" + name, bytes);
    }

    std::string InDrivers(const char *name) {
        return drivers + "\\" + name;
    }

    std::string InVersion(const char *name) {
        return version + "\\" + name;
    }

    // Copies and expects exactly one message with this text and the given result.
    void ExpectOneMessage(int index, const char *text, int result) {
        std::vector<Message> seen;
        EXPECT_EQ(result, CopyAnswering(page, index, &seen));
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(text, seen[0].text);
        EXPECT_EQ("Error", seen[0].caption);
        EXPECT_EQ(page, seen[0].owner);
    }

    char previousDirectory[MAX_PATH] = "";
};

TEST_F(CopyOneFileTest, ExpandsCompressedAndCopiesPlainFilesIntoBothDirectories) {
    Source("PLAIN.DLL", "plain.bin");
    Source("PACKED.DLL", "packed.sz");
    Source("J71.GPD", "plain.bin");
    ASSERT_EQ("SZDD", ReadBytes(setup + "\\PACKED.DLL").substr(0, 4));
    // Old copies of a previous installation are replaced.
    WriteBytes(InDrivers("PACKED.DLL"), std::string(9000, 'x'));
    WriteBytes(InVersion("PACKED.DLL"), std::string(9000, 'y'));
    SetCopyList({"PLAIN.DLL", "PACKED.DLL", "J71.GPD"});

    const std::string plain = ReadBytes(DataPath("plain.bin"));
    const std::string packed = ReadBytes(DataPath("packed.bin"));
    struct {
        const char *name;
        const std::string &bytes;
    } files[] = {{"PLAIN.DLL", plain}, {"PACKED.DLL", packed}, {"J71.GPD", plain}};
    for (int index = 2; index >= 0; index--) {
        SCOPED_TRACE(files[index].name);
        std::vector<Message> seen;
        EXPECT_EQ(1, CopyAnswering(page, index, &seen));
        EXPECT_TRUE(seen.empty());
        EXPECT_EQ(files[index].name, ControlText(page, IDC_COPY_FILE));
        EXPECT_EQ(drivers + "\\", ControlText(page, IDC_COPY_DIRECTORY));
        EXPECT_TRUE(files[index].bytes == ReadBytes(InDrivers(files[index].name)));
        EXPECT_TRUE(files[index].bytes == ReadBytes(InVersion(files[index].name)));
    }
}

TEST_F(CopyOneFileTest, DirectoryWithoutBackslashStillGetsOneBeforeTheVersion) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    snprintf(g_session.driverDirectory, sizeof g_session.driverDirectory, "%s", drivers.c_str());
    std::vector<Message> seen;
    EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
    EXPECT_TRUE(seen.empty());
    // The first destination is the directory text followed directly by the name.
    EXPECT_TRUE(Exists(drivers + "PLAIN.DLL"));
    EXPECT_TRUE(Exists(InVersion("PLAIN.DLL")));
    DeleteFileA((drivers + "PLAIN.DLL").c_str());
}

// Driver disks often keep a compressed file under its compressed name; the LZ library
// finds it there, and it is expanded under the name the list gives, damaged or not.
TEST_F(CopyOneFileTest, SourceUnderItsCompressedNameIsFoundAndChecked) {
    Source("PACKED.DL_", "packed.sz");
    Source("BROKEN.DL_", "truncated.sz");
    SetCopyList({"PACKED.DLL", "BROKEN.DLL"});
    std::vector<Message> seen;
    EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(ReadBytes(DataPath("packed.bin")) == ReadBytes(InDrivers("PACKED.DLL")));
    EXPECT_TRUE(ReadBytes(DataPath("packed.bin")) == ReadBytes(InVersion("PACKED.DLL")));
    ExpectOneMessage(1, "File has damaged.", 0);
    EXPECT_FALSE(Exists(InDrivers("BROKEN.DLL")));
}

TEST_F(CopyOneFileTest, MissingSourceIsAnOpenErrorAfterOldCopiesAreGone) {
    SetCopyList({"GONE.DLL"});
    WriteBytes(InDrivers("GONE.DLL"), "old");
    WriteBytes(InVersion("GONE.DLL"), "old");
    ExpectOneMessage(0, "File open error.", 0);
    EXPECT_FALSE(Exists(InDrivers("GONE.DLL")));
    EXPECT_FALSE(Exists(InVersion("GONE.DLL")));
}

TEST_F(CopyOneFileTest, TruncatedCompressedFileIsDamagedAndLeavesNothing) {
    Source("BROKEN.DLL", "truncated.sz");
    SetCopyList({"BROKEN.DLL"});
    WriteBytes(InVersion("BROKEN.DLL"), "old");
    ExpectOneMessage(0, "File has damaged.", 0);
    EXPECT_FALSE(Exists(InDrivers("BROKEN.DLL")));
    EXPECT_FALSE(Exists(InVersion("BROKEN.DLL")));
}

// Wine lets a process open again, for creation, a file it holds itself without sharing;
// another process's hold is what stops it, as on Windows. This program started again
// with COPYTEST_HOLD set becomes that other process: it holds the file until told to
// let go, and never runs the tests.
int HoldFileForParent() {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("COPYTEST_HOLD", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        ExitProcess(1);
    SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, "copytest_held"));
    WaitForSingleObject(OpenEventA(SYNCHRONIZE, FALSE, "copytest_release"), 60000);
    ExitProcess(0);
}
const int g_holding = HoldFileForParent();

// Another process holding a file open without sharing, for as long as this lives.
class OtherProcessHold {
  public:
    explicit OtherProcessHold(const std::string &path) {
        held = CreateEventA(NULL, TRUE, FALSE, "copytest_held");
        release = CreateEventA(NULL, TRUE, FALSE, "copytest_release");
        char self[MAX_PATH];
        GetModuleFileNameA(NULL, self, sizeof self);
        SetEnvironmentVariableA("COPYTEST_HOLD", path.c_str());
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (CreateProcessA(self, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
            HANDLE either[2] = {held, process.hProcess};
            holding = WaitForMultipleObjects(2, either, FALSE, 20000) == WAIT_OBJECT_0;
        }
        SetEnvironmentVariableA("COPYTEST_HOLD", NULL);
    }
    ~OtherProcessHold() {
        SetEvent(release);
        if (process.hProcess) {
            WaitForSingleObject(process.hProcess, 20000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        CloseHandle(held);
        CloseHandle(release);
    }
    bool holding = false;

  private:
    HANDLE held, release;
    PROCESS_INFORMATION process = {};
};

TEST_F(CopyOneFileTest, DestinationHeldOpenWithoutSharingIsAnOpenError) {
    Source("HELD.DLL", "plain.bin");
    SetCopyList({"HELD.DLL"});
    WriteBytes(InDrivers("HELD.DLL"), "in use");
    WriteBytes(InVersion("HELD.DLL"), "old");
    {
        OtherProcessHold hold(InDrivers("HELD.DLL"));
        ASSERT_TRUE(hold.holding);
        ExpectOneMessage(0, "File open error.", 0);
    }
    EXPECT_EQ("in use", ReadBytes(InDrivers("HELD.DLL")));
    EXPECT_FALSE(Exists(InVersion("HELD.DLL")));
    // Nor is the file put under the LZ library's compressed-file name instead.
    EXPECT_FALSE(Exists(InDrivers("HELD.DL_")));
}

// Whether a directory listing shows `path`: the existence test follows links, a
// listing does not.
bool Listed(const std::string &path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// Runs a tool of the host system on the Unix name of `windowsPath` and waits until the
// listing shows `listed`. Wine starts ELF programs too, but gives no handle to wait on
// for them, so the effect is what is waited for.
bool RunHostTool(const char *tool, const char *arguments, const std::string &windowsPath,
                 bool listed) {
    typedef char *(CDECL * UnixName)(LPCWSTR);
    UnixName unixName =
        (UnixName)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    if (!unixName)
        return false;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char *target = unixName(wide);
    if (!target)
        return false;
    std::string command = std::string(tool) + " " + arguments + " \"" + target + "\"";
    HeapFree(GetProcessHeap(), 0, target);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(tool, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    for (int tries = 0; tries < 1000 && Listed(windowsPath) != listed; tries++)
        Sleep(10);
    return Listed(windowsPath) == listed;
}

// Points `windowsPath` at the system's always-full device /dev/full through a Unix
// symbolic link: Wine then answers every write into it with a full disk, as a real
// full volume would. The existence test does not see such a link, and Windows cannot
// delete it.
bool LinkToFullDevice(const std::string &windowsPath) {
    return RunHostTool("/bin/ln", "-s /dev/full", windowsPath, true);
}

void RemoveLink(const std::string &windowsPath) {
    RunHostTool("/bin/rm", "-f", windowsPath, false);
}

// The copy into the version directory may fail where the spooler's own copy at
// registration does not (there a loaded driver's files are in use): the file still counts
// as copied, with no message, its first copy whole, and whatever stood in "3" before and
// could not be replaced is left as it was.
TEST_F(CopyOneFileTest, FailedSecondCopyKeepsTheFirstAndGoesOn) {
    Source("PACKED.DLL", "packed.sz");
    SetCopyList({"PACKED.DLL"});
    const std::string packed = ReadBytes(DataPath("packed.bin"));
    auto copiedWithoutMessage = [&](const char *why) {
        SCOPED_TRACE(why);
        std::vector<Message> seen;
        EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
        EXPECT_TRUE(seen.empty());
        EXPECT_TRUE(packed == ReadBytes(InDrivers("PACKED.DLL")));
    };

    ASSERT_TRUE(LinkToFullDevice(InVersion("PACKED.DLL")));
    copiedWithoutMessage("a full disk");
    EXPECT_TRUE(Listed(InVersion("PACKED.DLL"))) << "the link is not the program's to remove";
    RemoveLink(InVersion("PACKED.DLL"));

    ASSERT_TRUE(CreateDirectoryA(InVersion("PACKED.DLL").c_str(), NULL));
    copiedWithoutMessage("a directory of the file's name");
    EXPECT_TRUE(GetFileAttributesA(InVersion("PACKED.DLL").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(RemoveDirectoryA(InVersion("PACKED.DLL").c_str()));

    WriteBytes(InVersion("PACKED.DLL"), "in use");
    {
        OtherProcessHold hold(InVersion("PACKED.DLL"));
        ASSERT_TRUE(hold.holding);
        copiedWithoutMessage("a file in use");
    }
    EXPECT_EQ("in use", ReadBytes(InVersion("PACKED.DLL")));
    DeleteFileA(InVersion("PACKED.DLL").c_str());

    ASSERT_TRUE(RemoveDirectoryA(version.c_str()));
    copiedWithoutMessage("no version directory");
}

TEST_F(CopyOneFileTest, EveryInjectedCodeShowsItsMessageAndLeavesNoPartialFile) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    struct {
        const char *fault;
        const char *text;
    } cases[] = {
        {"CopyLZFile=-3", "File has damaged."},      {"CopyLZFile=-4", "Insufficient disk space."},
        {"CopyLZFile=-5", "Memory exhausted."},      {"CopyLZFile=-6", "Decompression error."},
        {"CopyLZFile=-7", "Unknown error accured."}, {"CopyLZFile=-8", "File has damaged."},
        {"CopyLZFile=-9", "Unknown error accured."}, {"CopyLZFile=-100", "Unknown error accured."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        SetEnvironmentVariableA("DRVSETUP_FAULTS", c.fault);
        ExpectOneMessage(0, c.text, 0);
        EXPECT_FALSE(Exists(InDrivers("PLAIN.DLL")));
        EXPECT_FALSE(Exists(InVersion("PLAIN.DLL")));
    }
}

TEST_F(CopyOneFileTest, ZeroBytesExpandedIsSuccessForAPlainSource) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=0");
    std::vector<Message> seen;
    EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(Exists(InDrivers("PLAIN.DLL")));
    EXPECT_TRUE(Exists(InVersion("PLAIN.DLL")));
}

TEST_F(CopyOneFileTest, CompressedSourceExpandedShortOfItsHeaderIsDamaged) {
    Source("PACKED.DLL", "packed.sz");
    SetCopyList({"PACKED.DLL"});
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=0");
    ExpectOneMessage(0, "File has damaged.", 0);
    EXPECT_FALSE(Exists(InDrivers("PACKED.DLL")));
    EXPECT_FALSE(Exists(InVersion("PACKED.DLL")));
}

TEST_F(CopyOneFileTest, BadHandleIsTriedAgainAtMostThreeTimes) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    struct {
        const char *fault;
        const char *text;
    } cases[] = {{"CopyLZFile=-1", "Cannot read the source file"},
                 {"CopyLZFile=-2", "Cannot create the destination file."}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        SetEnvironmentVariableA("DRVSETUP_FAULTS", c.fault);
        ExpectOneMessage(0, c.text, COPY_RETRY);
        ExpectOneMessage(0, c.text, COPY_RETRY);
        ExpectOneMessage(0, c.text, 0);
        EXPECT_FALSE(Exists(InDrivers("PLAIN.DLL")));
        EXPECT_FALSE(Exists(InVersion("PLAIN.DLL")));
    }
}

TEST_F(CopyOneFileTest, ACopiedFileStartsTheCountOfBadHandlesAgain) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=-1");
    ExpectOneMessage(0, "Cannot read the source file", COPY_RETRY);
    ExpectOneMessage(0, "Cannot read the source file", COPY_RETRY);
    SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
    std::vector<Message> seen;
    EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(ReadBytes(DataPath("plain.bin")) == ReadBytes(InVersion("PLAIN.DLL")));
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=-1");
    ExpectOneMessage(0, "Cannot read the source file", COPY_RETRY);
}

// A name joined to the driver directory must never reach outside it: here each would
// otherwise write into the folder above the driver directory, or somewhere else.
TEST_F(CopyOneFileTest, NamesThatLeaveTheDriverDirectoryAreRefused) {
    WriteBytes(base + "\\ESCAPE.DLL", "outside");
    CreateDirectoryA((setup + "\\SUB").c_str(), NULL);
    WriteBytes(setup + "\\SUB\\ESCAPE.DLL", "sub");
    for (const char *name : {"..\\ESCAPE.DLL", "SUB\\ESCAPE.DLL", "SUB/ESCAPE.DLL", "..",
                             "C:ESCAPE.DLL", "ESCAPE.DLL:x"}) {
        SCOPED_TRACE(name);
        SetCopyList({name});
        ExpectOneMessage(0, "File open error.", 0);
    }
    EXPECT_EQ("outside", ReadBytes(base + "\\ESCAPE.DLL"));
    EXPECT_EQ("sub", ReadBytes(setup + "\\SUB\\ESCAPE.DLL"));
    EXPECT_FALSE(Exists(drivers + "\\SUB"));
    EXPECT_FALSE(Exists(InDrivers("ESCAPE.DLL")));
}

// Without a driver directory the name alone would name the source itself.
TEST_F(CopyOneFileTest, EmptyDriverDirectoryIsRefusedAndTheSourceKept) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    g_session.driverDirectory[0] = 0;
    ExpectOneMessage(0, "File open error.", 0);
    EXPECT_TRUE(ReadBytes(DataPath("plain.bin")) == ReadBytes(setup + "\\PLAIN.DLL"));
}

// A directory text of exactly `length` characters naming the driver directory: ".\"
// steps keep it the same directory whatever its length.
std::string PaddedDirectory(const std::string &directory, size_t length) {
    std::string padded = directory + "\\";
    if ((length - padded.size()) % 2)
        padded += "\\";
    while (padded.size() < length)
        padded += ".\\";
    return padded;
}

// Paths one character too long for their 1024-byte buffers are refused before anything
// is deleted or written, never cut.
TEST_F(CopyOneFileTest, PathsThatDoNotFitAreRefused) {
    Source("PLAIN.DLL", "plain.bin");
    Source("PLAIN.DL", "plain.bin");
    SetCopyList({"PLAIN.DLL", "PLAIN.DL"});
    WriteBytes(InDrivers("PLAIN.DLL"), "old");
    WriteBytes(InVersion("PLAIN.DL"), "old");
    std::string padded = PaddedDirectory(drivers, 1024 - strlen("PLAIN.DLL"));
    ASSERT_EQ(1015u, padded.size());
    strcpy(g_session.driverDirectory, padded.c_str());

    // First path: 1024 characters.
    ExpectOneMessage(0, "File open error.", 0);
    // First path 1023 characters, which fit; the one in "3" needs 1025.
    ExpectOneMessage(1, "File open error.", 0);
    EXPECT_EQ("old", ReadBytes(InDrivers("PLAIN.DLL")));
    EXPECT_EQ("old", ReadBytes(InVersion("PLAIN.DL")));
}

TEST_F(CopyOneFileTest, IndexPastTheListIsRefused) {
    Source("PLAIN.DLL", "plain.bin");
    SetCopyList({"PLAIN.DLL"});
    ExpectOneMessage(1, "File open error.", 0);
    ExpectOneMessage(-1, "File open error.", 0);
}

// A file compressed as the LZ library reads it ("SZDD", method 'A'), every byte a literal:
// a flag byte of ones before each eight bytes.
std::string Compress(const std::string &plain) {
    std::string packed("SZDD\x88\xF0\x27\x33"
                       "A",
                       9);
    packed += plain.empty() ? '\0' : plain.back();
    for (int shift = 0; shift < 32; shift += 8)
        packed += (char)(plain.size() >> shift);
    for (size_t at = 0; at < plain.size(); at += 8) {
        size_t count = std::min<size_t>(8, plain.size() - at);
        packed += (char)((1u << count) - 1);
        packed += plain.substr(at, count);
    }
    return packed;
}

// A folder below `parent` whose path with its final backslash is `length` characters
// long, of components no longer than 100 characters.
std::string MakeDeepFolder(const std::string &parent, size_t length) {
    std::string path = parent;
    CreateDirectoryA(parent.c_str(), NULL);
    while (path.size() + 1 < length) {
        size_t room = length - path.size() - 2; // the next component, were it the last
        size_t take = room <= 100 ? room : room - 100 >= 2 ? 100 : 90;
        path += "\\" + std::string(take, 'd');
        if (!CreateDirectoryA(path.c_str(), NULL))
            return "";
    }
    return path + "\\";
}

// A setup folder as deep as the platform's paths allow: the longest source path is
// MAX_PATH - 1 characters. A plain file, a compressed one and one kept under its
// compressed name are all copied, and the setup information file there is read.
TEST_F(CopyOneFileTest, DeepSetupFolderUpToThePathLimit) {
    const std::string deep = MakeDeepFolder(base + "\\deep", MAX_PATH - 1 - strlen("PACKED.DLL"));
    ASSERT_FALSE(deep.empty());
    ASSERT_EQ((size_t)MAX_PATH - 1, (deep + "PACKED.DLL").size());
    WriteBytes(deep + "PLAIN.DLL", ReadBytes(DataPath("plain.bin")));
    WriteBytes(deep + "PACKED.DLL", ReadBytes(DataPath("packed.sz")));
    WriteBytes(deep + "BYNAME.DL_", ReadBytes(DataPath("packed.sz")));
    ASSERT_TRUE(Exists(deep + "BYNAME.DL_"));
    snprintf(g_session.setupFolder, sizeof g_session.setupFolder, "%s", deep.c_str());
    SetCopyList({"PLAIN.DLL", "PACKED.DLL", "BYNAME.DLL"});

    const std::string plain = ReadBytes(DataPath("plain.bin"));
    const std::string packed = ReadBytes(DataPath("packed.bin"));
    const std::string *expected[] = {&plain, &packed, &packed};
    for (int index = 0; index < 3; index++) {
        const char *name = FindCopyName(index);
        SCOPED_TRACE(name);
        std::vector<Message> seen;
        EXPECT_EQ(1, CopyAnswering(page, index, &seen));
        EXPECT_TRUE(seen.empty());
        EXPECT_TRUE(*expected[index] == ReadBytes(InDrivers(name)));
        EXPECT_TRUE(*expected[index] == ReadBytes(InVersion(name)));
    }

    // The profile reader takes the whole path of a setup information file there.
    const std::string inf = deep + "J71.INF";
    WriteBytes(inf, "[J71_LASER]\r\nCopyFiles=@UNIDRV.DLL,@J71.GPD\r\n");
    char value[64] = "";
    GetPrivateProfileStringA("J71_LASER", "CopyFiles", "", value, sizeof value, inf.c_str());
    EXPECT_STREQ("@UNIDRV.DLL,@J71.GPD", value);
}

// A file missing from the setup folder is missing, wherever else one of that name lies:
// in the current directory, in the Windows and system folders, on PATH, or under its
// compressed name there.
TEST_F(CopyOneFileTest, SourcesComeFromTheSetupFolderAlone) {
    const std::string elsewhere = base + "\\elsewhere";
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), NULL));
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    char windows[MAX_PATH], system[MAX_PATH], path[4096] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string onPath = base + "\\onpath";
    ASSERT_TRUE(CreateDirectoryA(onPath.c_str(), NULL));
    SetEnvironmentVariableA("PATH", (onPath + ";" + path).c_str());

    struct {
        std::string folder;
        const char *name, *stored;
    } strays[] = {{elsewhere, "STRAYCWD.HLP", "STRAYCWD.HLP"},
                  {elsewhere, "STRAYCWZ.DLL", "STRAYCWZ.DL_"},
                  {windows, "STRAYWIN.HLP", "STRAYWIN.HLP"},
                  {system, "STRAYSYS.HLP", "STRAYSYS.HLP"},
                  {onPath, "STRAYPTH.HLP", "STRAYPTH.HLP"}};
    for (const auto &stray : strays) {
        SCOPED_TRACE(stray.folder + "\\" + stray.stored);
        WriteBytes(stray.folder + "\\" + stray.stored, ReadBytes(DataPath("plain.bin")));
        ASSERT_TRUE(Exists(stray.folder + "\\" + stray.stored));
        SetCopyList({stray.name});
        ExpectOneMessage(0, "File open error.", 0);
        EXPECT_FALSE(Exists(InDrivers(stray.name)));
        EXPECT_FALSE(Exists(InVersion(stray.name)));
        DeleteFileA((stray.folder + "\\" + stray.stored).c_str());
    }
    SetEnvironmentVariableA("PATH", path);
}

// The compressed name stands in only for a missing plain name.
TEST_F(CopyOneFileTest, PlainNameIsTakenBeforeItsCompressedName) {
    Source("BOTH.DLL", "plain.bin");
    Source("BOTH.DL_", "packed.sz");
    SetCopyList({"BOTH.DLL"});
    std::vector<Message> seen;
    EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(ReadBytes(DataPath("plain.bin")) == ReadBytes(InDrivers("BOTH.DLL")));
}

// The version directory keeps another printer's newer file: one whose version resource
// gives a higher file version than the one installed, compressed or not. An older or
// equal one, and any file where either has no version, is replaced as before.
TEST_F(CopyOneFileTest, NewerVersionInTheVersionDirectoryIsKept) {
    const std::string older = ReadBytes(fixture::BinPath("testdlls/versioned_5_1.dll"));
    const std::string newer = ReadBytes(fixture::BinPath("testdlls/versioned_6_1.dll"));
    const std::string none = ReadBytes(fixture::BinPath("testdlls/unversioned.dll"));
    ASSERT_FALSE(older.empty() || newer.empty() || none.empty()) << "no test modules";
    ASSERT_FALSE(older == newer);
    struct {
        const char *why;
        const std::string &installed, &inVersion;
        bool compressed;
        const std::string &expected;
    } cases[] = {
        {"newer there", older, newer, false, newer},
        {"newer there, ours compressed", older, newer, true, newer},
        {"older there", newer, older, false, newer},
        {"the same there", newer, newer, false, newer},
        {"ours without a version", none, newer, false, none},
        {"none there", older, none, false, older},
        {"not a module there", older, ReadBytes(DataPath("plain.bin")), false, older},
    };
    SetCopyList({"UNIDRV.DLL"});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        WriteBytes(setup + "\\UNIDRV.DLL", c.compressed ? Compress(c.installed) : c.installed);
        WriteBytes(InVersion("UNIDRV.DLL"), c.inVersion);
        std::vector<Message> seen;
        EXPECT_EQ(1, CopyAnswering(page, 0, &seen));
        EXPECT_TRUE(seen.empty());
        EXPECT_TRUE(c.installed == ReadBytes(InDrivers("UNIDRV.DLL")));
        EXPECT_TRUE(c.expected == ReadBytes(InVersion("UNIDRV.DLL")));
    }

    // A newer file survives a copy that fails, too: it is not ours to remove.
    DeleteFileA((setup + "\\UNIDRV.DLL").c_str());
    WriteBytes(InVersion("UNIDRV.DLL"), newer);
    ExpectOneMessage(0, "File open error.", 0);
    EXPECT_TRUE(newer == ReadBytes(InVersion("UNIDRV.DLL")));
}

} // namespace
