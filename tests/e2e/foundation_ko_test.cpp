// The Korean build (x86 profile, Korean resources) under code page 949: its reading status,
// welcome page, cancel question and failure finish page, read back as the user sees them.
#include "korean_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;

namespace {

using korean::kPageCaption;
const char kSupportedX86[] = "사용 가능한 운영체제:\r\n"
                             "\tWindows 7 Home x86\r\n"
                             "\tWindows 7 Professional x86\r\n"
                             "\tWindows 7 Ultimate x86\r\n"
                             "\r\n"
                             "드라이버를 설치하기 전에 사용중인 응용 프로그램을 모두 종료하십시오.";

class KoreanFoundation : public korean::KoreanWizard {};

TEST_F(KoreanFoundation, WelcomePageShowsTheX86SystemsInKorean) {
    HWND status = WaitForWindow(wizard, "", kStatusText, 10000);
    ASSERT_TRUE(status) << "no reading status";
    EXPECT_EQ(ControlText(status, kStatusText), "설치 정보를 읽고 있습니다...");
    Screenshot(status, "e2e-ko-reading-status");

    HWND page = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(page);
    EXPECT_EQ(TextOf(page), kPageCaption);
    EXPECT_EQ(ControlText(page, kWelcomeText), kSupportedX86);
    EXPECT_EQ(ControlText(page, kNext), "다음");
    EXPECT_EQ(ControlText(page, kCancel), "취소(&C)");
    Screenshot(page, "e2e-ko-welcome");

    ASSERT_TRUE(Press(page, kCancel));
    HWND question = WaitForMessageDialog(wizard);
    ASSERT_TRUE(question);
    EXPECT_EQ(TextOf(question), "질문");
    EXPECT_EQ(ControlText(question, kMessageText), "프린터 드라이버 설치를 종료하시겠습니까?");
    EXPECT_EQ(ControlText(question, kYes), "예(&Y)");
    EXPECT_EQ(ControlText(question, kNo), "아니오(&N)");
    Screenshot(question, "e2e-ko-cancel-question");
    ASSERT_TRUE(Press(question, kYes));

    HWND finish = WaitForPage(wizard, kFinishText);
    ASSERT_TRUE(finish);
    EXPECT_EQ(TextOf(finish), "프린터 드라이버 설치");
    EXPECT_EQ(ControlText(finish, kFinishText), "설치를 중지합니다.");
    EXPECT_EQ(ControlText(finish, kOk), "확인(&O)");
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    Screenshot(finish, "e2e-ko-finish-failed");
    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, 10000), 0u);
}

} // namespace
