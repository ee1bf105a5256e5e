// The Korean build (x86 profile, Korean resources) started by the robot under code page
// 949 from a setup folder of the demo's files, one folder per test.
#pragma once

#include "robot/robot.h"

#include <gtest/gtest.h>

#include <string>

namespace korean {

const char kProgram[] = "drvsetup_ko64_t.exe";
const char kPageCaption[] = "젤목스 프린터 드라이버 설치 마법사";

class KoreanWizard : public ::testing::Test {
  protected:
    robot::Wizard wizard;
    std::string folder;

    void SetUp() override {
        ASSERT_EQ(GetACP(), 949u) << "the Korean tests must run under code page 949";
        folder = std::string("C:\\e2e\\") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(
            robot::MakeSetupFolder(folder, robot::SourcePath("demo"), robot::BinPath(kProgram)));
        ASSERT_TRUE(robot::StartWizard(&wizard, folder, kProgram));
    }

    void TearDown() override {
        EXPECT_FALSE(robot::IsRunning(wizard)) << "the wizard was still running";
        robot::StopWizard(&wizard);
    }

    // Saved into the build tree for a person to look at the Korean glyphs.
    void Screenshot(HWND window, const char *name) {
        robot::Pump(150);
        CreateDirectoryA(robot::BinPath("screenshots").c_str(), nullptr);
        std::string path = robot::BinPath("screenshots\\") + name + ".bmp";
        EXPECT_TRUE(robot::SaveScreenshot(window, path)) << path;
    }
};

} // namespace korean
