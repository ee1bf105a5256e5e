// The Korean programs (x86 profile, Korean resources) started by the robot under code page
// 949 from a setup folder of the demo's files, one folder per test, and what their pages
// show, as their resources and the profile's code page 949 texts give it. Shared by the
// tests of the test build drvsetup_ko64_t on 64-bit Wine and of the shipped drvsetup_x86
// on the 32-bit platform.
#pragma once

#include "robot/robot.h"

#include <gtest/gtest.h>

#include <string>

namespace korean {

const char kProgram[] = "drvsetup_ko64_t.exe";
const char kShippedProgram[] = "drvsetup_x86.exe";
const char kEnvironment[] = "Windows NT x86";

const char kPageCaption[] = "젤목스 프린터 드라이버 설치 마법사";
const char kWizardTitle[] = "프린터 드라이버 설치";
const char kSupportedX86[] = "사용 가능한 운영체제:\r\n"
                             "\tWindows 7 Home x86\r\n"
                             "\tWindows 7 Professional x86\r\n"
                             "\tWindows 7 Ultimate x86\r\n"
                             "\r\n"
                             "드라이버를 설치하기 전에 사용중인 응용 프로그램을 모두 종료하십시오.";
const char kSucceeded[] = "설치가 완료되었습니다.";
const char kFailed[] = "설치를 중지합니다.";
const char kErrorCaption[] = "오류";
const char kWarningCaption[] = "경고";
const char kSelectModel[] = "먼저 설치할 프린터 모델을 선택하십시오.";
const char kFileDamaged[] = "파일이 손상되었습니다.";
const char kFileOpenError[] = "파일이 없습니다.";
const char kCopyCaption[] = "파일 복사 중...";
// The port page's system message box when the earlier installation cannot be removed.
const char kRemovalFailedCaption[] = "설치 오류";
const char kRemovalFailed[] = "설치하려는 프린터 드라이버가 이미 설치되어 있으며 현재 다른 응용 "
                              "프로그램에 의해 사용중이므로 업그레이드가 불가능합니다.\n"
                              "사용중인 응용 프로그램을 모두 종료하신 후 다시 설치해 보십시오.";

// ---- Each page and message as the user reads it ----

inline void ExpectReadingStatus(HWND status) {
    EXPECT_EQ(robot::ControlText(status, robot::kStatusText), "설치 정보를 읽고 있습니다...");
}

inline void ExpectWelcomePage(HWND page) {
    EXPECT_EQ(robot::TextOf(page), kPageCaption);
    EXPECT_EQ(robot::ControlText(page, robot::kWelcomeText), kSupportedX86);
    EXPECT_EQ(robot::ControlText(page, robot::kNext), "다음");
    EXPECT_EQ(robot::ControlText(page, robot::kCancel), "취소(&C)");
}

inline void ExpectCancelQuestion(HWND question) {
    EXPECT_EQ(robot::TextOf(question), "질문");
    EXPECT_EQ(robot::ControlText(question, robot::kMessageText),
              "프린터 드라이버 설치를 종료하시겠습니까?");
    EXPECT_EQ(robot::ControlText(question, robot::kYes), "예(&Y)");
    EXPECT_EQ(robot::ControlText(question, robot::kNo), "아니오(&N)");
}

inline void ExpectModelPage(HWND page) {
    EXPECT_EQ(robot::TextOf(page), kPageCaption);
    EXPECT_EQ(robot::ControlText(page, 2034), "프린터 모델(&M):");
    EXPECT_EQ(robot::ControlText(page, 2009),
              " 목록에서 설치할 프린터 모델을 선택하시고, \"다음\" 버튼을 누르십시오.");
    EXPECT_EQ(robot::ControlText(page, robot::kBack), "이전(&B)");
}

inline void ExpectPortPage(HWND page) {
    EXPECT_EQ(robot::TextOf(page), kPageCaption);
    EXPECT_EQ(robot::ControlText(page, 2017), "연결할 포트(&P):");
    // Two lines, broken at the line feed.
    EXPECT_EQ(robot::ControlText(page, 2009),
              " 프린터가 연결된 포트를 지정합니다.\n목록에서 포트를 "
              "선택한 후, \"다음\" 버튼을 누르십시오.");
}

inline void ExpectWritingStatus(HWND status) {
    EXPECT_EQ(robot::ControlText(status, robot::kStatusText), "시스템 정보를 수정하고 있습니다...");
}

// The finish page after a success (the default-printer box shown, ticked) or a failure.
inline void ExpectFinishPage(HWND finish, bool succeeded) {
    EXPECT_EQ(robot::TextOf(finish), kWizardTitle);
    EXPECT_EQ(robot::ControlText(finish, robot::kFinishText), succeeded ? kSucceeded : kFailed);
    EXPECT_EQ(robot::ControlText(finish, robot::kFinishCheck), "기본 프린터로 설정합니다.(&D)");
    EXPECT_EQ(robot::IsControlVisible(finish, robot::kFinishCheck), succeeded);
    if (succeeded)
        EXPECT_EQ(robot::CheckState(finish, robot::kFinishCheck), BST_CHECKED);
    EXPECT_EQ(robot::ControlText(finish, robot::kFinishCopyright),
              "Copyright (C) 2010 젤목스시스템(주)");
    EXPECT_EQ(robot::ControlText(finish, robot::kOk), "확인(&O)");
}

// ---- The fixture ----

class KoreanWizard : public ::testing::Test {
  protected:
    // `program`: the Korean program of the build tree to drive.
    explicit KoreanWizard(const char *program = kProgram) : program(program) {}

    const char *program;
    robot::Wizard wizard;
    std::string folder;

    void SetUp() override {
        ASSERT_EQ(GetACP(), 949u) << "the Korean tests must run under code page 949";
        folder = std::string("C:\\e2e\\") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(
            robot::MakeSetupFolder(folder, robot::SourcePath("demo"), robot::BinPath(program)));
        ASSERT_TRUE(robot::StartWizard(&wizard, folder, program));
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
