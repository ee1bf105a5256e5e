// The setup information reader against real INF files and the real profile functions
// and spooler.
#include "res/resource.h"
#include "setupinfo/setupinfo.h"
#include "shell/session.h"
#include "win/session_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

class SetupInfo : public ::testing::Test {
  protected:
    char folder[MAX_PATH] = "";
    HWND owner = NULL;
    HWND list = NULL;

    void SetUp() override {
        memset(&g_session, 0, sizeof g_session);
        g_session.environment = g_profile.environment;
        g_instance = GetModuleHandleA(NULL);
        ASSERT_NO_FATAL_FAILURE(fixture::MakeInfFolder(folder, "inf"));
        // The model page's list, as LoadModelInstallData finds it.
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_HASSTRINGS, 0, 0, 100, 100, owner,
                               (HMENU)(INT_PTR)IDC_MODEL_LIST, NULL, NULL);
        ASSERT_TRUE(list);
    }

    void TearDown() override {
        DestroyWindow(owner);
        DeleteFileA(g_session.infPath);
        RemoveDirectoryA(folder);
    }

    void WriteInf(const std::string &text) {
        FILE *file = fopen(g_session.infPath, "wb");
        ASSERT_TRUE(file);
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }

    void Choose(const char *model) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)model);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (unsigned i = 0; i < CountModels(); i++) {
            char name[1024] = "unset";
            GetModelName(i, name);
            names.push_back(name);
        }
        return names;
    }
};

// The names of copyList, read up to its empty name and never past its end.
std::vector<std::string> CopyNames() {
    std::vector<std::string> names;
    const char *list = g_session.copyList;
    size_t at = 0;
    while (at < sizeof g_session.copyList && list[at]) {
        size_t length = strnlen(list + at, sizeof g_session.copyList - at);
        names.emplace_back(list + at, length);
        at += length + 1;
    }
    EXPECT_LT(at, sizeof g_session.copyList);
    return names;
}

using V = std::vector<std::string>;

const char kThreeModels[] = "[Version]\r\n"
                            "Signature=\"$Windows NT$\"\r\n"
                            "[ZelmoxSystems]\r\n"
                            "\"J71 Laser\"=J71LASER,USBPRINT\\ZelmoxJ71_Laser\r\n"
                            "\"J71 Color\" = J71COLOR,USBPRINT\\ZelmoxJ71_Color,extra\r\n"
                            "\"J71 Mono\"=J71MONO\r\n"
                            "[J71LASER]\r\n"
                            "CopyFiles=@J71.GPD,@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP\r\n"
                            "DataSection=LASERDATA\r\n"
                            "[LASERDATA]\r\n"
                            "DefaultDataType=NT EMF 1.008\r\n"
                            "[J71COLOR]\r\n"
                            "CopyFiles=J71.GPD,COLOR.ICM,\r\n"
                            "DataSection=COLORDATA\r\n"
                            "[COLORDATA]\r\n"
                            "DefaultDataType=\r\n"
                            "[J71MONO]\r\n"
                            "CopyFiles=@@AT.DLL, BLANK.DLL,,@,LAST.DLL\r\n";

} // namespace

TEST_F(SetupInfo, ListsQuotedKeysInFileOrder) {
    WriteInf(kThreeModels);
    EXPECT_EQ(CountModels(), 3);
    EXPECT_EQ(Names(), (V{"J71 Laser", "J71 Color", "J71 Mono"}));
    char name[1024] = "kept";
    GetModelName(3, name);
    EXPECT_STREQ(name, "kept");
}

TEST_F(SetupInfo, OddKeysAndMissingFile) {
    WriteInf("[zelmoxsystems]\r\n"
             "\"\"=EMPTY\r\n"
             "Plain=PLAINSECTION\r\n"
             "\"Q\"=Q\r\n"
             "[PLAINSECTION]\r\n"
             "CopyFiles=A.DLL\r\n");
    // The two-quote key is an empty name; the unquoted key loses a real character at
    // each end; the section name matches without regard to case.
    EXPECT_EQ(Names(), (V{"", "lai", "Q"}));

    // The cut name is not found again: with no install section there is nothing to
    // install, so the model is refused and the session keeps what it had.
    Choose("lai");
    strcpy(g_session.modelName, "Before");
    strcpy(g_session.copyList, "STALE");
    g_session.fileCount = 7;
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    EXPECT_STREQ(g_session.modelName, "Before");
    EXPECT_EQ(g_session.fileCount, 7);

    DeleteFileA(g_session.infPath);
    EXPECT_EQ(CountModels(), 0);
}

TEST_F(SetupInfo, LoadsTheChosenModel) {
    WriteInf(kThreeModels);
    Choose("J71 Laser");
    ASSERT_EQ(LoadModelInstallData(owner), 1);
    EXPECT_STREQ(g_session.modelName, "J71 Laser");
    EXPECT_EQ(g_session.fileCount, 4);
    EXPECT_EQ(CopyNames(), (V{"J71.GPD", "UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP"}));
    EXPECT_STREQ(g_session.defaultDataType, "NT EMF 1.008");

    // The spooler's own driver directory, with one backslash added.
    char directory[1024] = "";
    DWORD needed;
    ASSERT_TRUE(
        GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)directory, sizeof directory, &needed));
    EXPECT_EQ(std::string(g_session.driverDirectory), std::string(directory) + "\\");

    // Back and a model with fewer files: nothing of the longer list survives.
    Choose("J71 Color");
    ASSERT_EQ(LoadModelInstallData(owner), 1);
    EXPECT_EQ(g_session.fileCount, 2);
    EXPECT_EQ(CopyNames(), (V{"J71.GPD", "COLOR.ICM"}));
    EXPECT_EQ(memcmp(g_session.copyList, "J71.GPD\0COLOR.ICM\0\0", 19), 0);
    // Present but empty: no default.
    EXPECT_STREQ(g_session.defaultDataType, "");
}

TEST_F(SetupInfo, CopyFilesRules) {
    WriteInf(kThreeModels);
    Choose("J71 Mono");
    ASSERT_EQ(LoadModelInstallData(owner), 1);
    // One at sign dropped, the blank kept, the empty field and lone at sign giving nothing.
    EXPECT_EQ(CopyNames(), (V{"@AT.DLL", " BLANK.DLL", "LAST.DLL"}));
    EXPECT_EQ(g_session.fileCount, 3);
    // No data section at all.
    EXPECT_STREQ(g_session.defaultDataType, "RAW");
}

TEST_F(SetupInfo, EntryStartingWithACommaAndHardwareIds) {
    WriteInf("[ZelmoxSystems]\r\n"
             "\"Lead\"=,,SECTION,,HW\\ID,more\r\n"
             "\"Single\"=SECTION\r\n"
             "\"Commas\"=,,,\r\n"
             "\"Missing\"=NOSUCHSECTION,HW\r\n"
             "[SECTION]\r\n"
             "CopyFiles=ONE.DLL\r\n"
             "DataSection=DATA\r\n"
             "[DATA]\r\n"
             "DefaultDataType=RAW2\r\n");
    Choose("Lead");
    ASSERT_EQ(LoadModelInstallData(owner), 1);
    EXPECT_EQ(CopyNames(), V{"ONE.DLL"});
    EXPECT_STREQ(g_session.defaultDataType, "RAW2");
    const char *id = GetHardwareId("Lead");
    ASSERT_TRUE(id);
    EXPECT_STREQ(id, "HW\\ID");

    EXPECT_EQ(GetHardwareId("Single"), nullptr);
    EXPECT_EQ(GetHardwareId("Commas"), nullptr);
    EXPECT_EQ(GetHardwareId("Absent"), nullptr);

    // An entry of nothing but commas, or one naming a section the file lacks, names no
    // install section: refused.
    Choose("Commas");
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    Choose("Missing");
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    Choose("Absent");
    EXPECT_EQ(LoadModelInstallData(owner), 0);
}

TEST_F(SetupInfo, NoSelectionChangesNothing) {
    WriteInf(kThreeModels);
    strcpy(g_session.modelName, "Before");
    strcpy(g_session.defaultDataType, "Kept");
    g_session.fileCount = 5;
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    EXPECT_STREQ(g_session.modelName, "Before");
    EXPECT_STREQ(g_session.defaultDataType, "Kept");
    EXPECT_EQ(g_session.fileCount, 5);
}

TEST_F(SetupInfo, LongKeysAndValuesStayInTheirBuffers) {
    std::string longest(1021, 'L');
    std::string tooLong(1100, 'T');
    std::string value;
    for (int i = 0; i < 200; i++)
        value += "@FILE" + std::to_string(i) + ".DLL,";
    // The most the reader's buffer holds: 1023 characters, the last name cut short.
    std::string fits = value.substr(0, 1023);
    WriteInf("[ZelmoxSystems]\r\n"
             "\"A\"=BIG\r\n"
             "\"" +
             tooLong +
             "\"=BIG\r\n"
             "\"" +
             longest +
             "\"=FITS\r\n"
             "[BIG]\r\n"
             "CopyFiles=" +
             value +
             "\r\n"
             "[FITS]\r\n"
             "CopyFiles=" +
             fits + "\r\n");
    // The first listing cuts the second key short but counts it, and has no room for the
    // third; the name comes whole from the larger listing, cut to the 1023 characters of
    // the list's buffer.
    ASSERT_EQ(CountModels(), 2);
    char name[1024];
    memset(name, 'x', sizeof name);
    GetModelName(1, name);
    EXPECT_EQ(strnlen(name, sizeof name), 1023u);

    // The longest name that fits its lookup key is found; a CopyFiles value of 1023
    // characters fills the list, which still ends with its empty name.
    Choose(longest.c_str());
    ASSERT_EQ(LoadModelInstallData(owner), 1);
    std::vector<std::string> names = CopyNames();
    EXPECT_EQ((int)names.size(), g_session.fileCount);
    ASSERT_GT(g_session.fileCount, 80);
    for (int i = 0; i + 1 < g_session.fileCount; i++)
        EXPECT_EQ(names[i], "FILE" + std::to_string(i) + ".DLL");
    std::string last = "FILE" + std::to_string(g_session.fileCount - 1) + ".DLL";
    EXPECT_EQ(last.compare(0, names.back().size(), names.back()), 0) << names.back();

    // A longer name cannot be looked up, and a CopyFiles value longer than the reader's
    // buffer would lose its last names: both are refused and nothing changes.
    Choose(name);
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    Choose("A");
    EXPECT_EQ(LoadModelInstallData(owner), 0);
    EXPECT_EQ(std::string(g_session.modelName), longest);
    EXPECT_EQ(GetHardwareId(tooLong.c_str()), nullptr);
}

TEST_F(SetupInfo, PathBesideTheProgram) {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof module);
    ASSERT_GT(length, 0u);
    *(strrchr(module, '\\') + 1) = '\0';

    char directory[1024];
    memset(directory, 'x', sizeof directory);
    GetModuleDirectory(directory);
    EXPECT_STREQ(directory, module);

    g_session.infPath[0] = '\0';
    const char *path = GetInfPath();
    EXPECT_EQ(path, g_session.infPath);
    EXPECT_EQ(std::string(path), std::string(module) + "J71.INF");
    EXPECT_EQ(GetInfPath(), path);
    EXPECT_EQ(std::string(GetInfPath()), std::string(module) + "J71.INF");
    EXPECT_STREQ(GetVendorSection(), "ZelmoxSystems");
}
