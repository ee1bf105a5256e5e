// A copy run starts afresh: what an earlier run (or an earlier test) left of the count of
// bad-handle failures must not shorten the tries of the next.
#include "install/install.h"
#include "install/report.h"
#include "shell/session.h"
#include "win/session_fixture.h"

#include <gtest/gtest.h>

namespace {

class CopyRun : public ::testing::Test {
  protected:
    std::string base;
    char previousDirectory[MAX_PATH] = "";

    void SetUp() override {
        base = fixture::TempFolderName("copyrun");
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((base + "\\3").c_str(), NULL));
        fixture::WriteBytes(base + "\\PLAIN.DLL", "plain bytes");
        ASSERT_TRUE(fixture::EnterDirectory(base, previousDirectory));
        fixture::FreshSession();
        snprintf(g_session.setupFolder, sizeof g_session.setupFolder, "%s\\", base.c_str());
        snprintf(g_session.driverDirectory, sizeof g_session.driverDirectory, "%s\\drivers\\",
                 base.c_str());
        ASSERT_TRUE(CreateDirectoryA((base + "\\drivers").c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((base + "\\drivers\\3").c_str(), NULL));
        fixture::SetCopyList({"PLAIN.DLL"});
        // No boxes: the count alone is looked at.
        g_reporter = &g_silentReporter;
        SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=-1");
    }

    void TearDown() override {
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        g_reporter = &g_wizardReporter;
        SetCurrentDirectoryA(previousDirectory);
        for (const char *name : {"\\drivers\\3\\PLAIN.DLL", "\\drivers\\PLAIN.DLL", "\\PLAIN.DLL"})
            DeleteFileA((base + name).c_str());
        for (const char *name : {"\\drivers\\3", "\\drivers", "\\3", ""})
            RemoveDirectoryA((base + name).c_str());
    }
};

// Two bad handles of the first file, then a new run of the same list: the new run again
// gets three tries before the file counts as failed.
TEST_F(CopyRun, ANewRunCountsBadHandlesFromNothing) {
    StartCopyRun();
    EXPECT_EQ(COPY_RETRY, CopyOneFile(NULL, 0));
    EXPECT_EQ(COPY_RETRY, CopyOneFile(NULL, 0));
    StartCopyRun();
    EXPECT_EQ(COPY_RETRY, CopyOneFile(NULL, 0));
    EXPECT_EQ(COPY_RETRY, CopyOneFile(NULL, 0));
    EXPECT_EQ(0, CopyOneFile(NULL, 0));
}

} // namespace
