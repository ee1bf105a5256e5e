// The Korean build (x86 profile, Korean resources) under code page 949: its reading status,
// welcome page, cancel question and failure finish page, read back as the user sees them.
#include "korean_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;

namespace {

class KoreanFoundation : public korean::KoreanWizard {};

TEST_F(KoreanFoundation, WelcomePageShowsTheX86SystemsInKorean) {
    HWND status = WaitForWindow(wizard, "", kStatusText, 10000);
    ASSERT_TRUE(status) << "no reading status";
    korean::ExpectReadingStatus(status);
    Screenshot(status, "e2e-ko-reading-status");

    HWND page = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(page);
    korean::ExpectWelcomePage(page);
    Screenshot(page, "e2e-ko-welcome");

    ASSERT_TRUE(Press(page, kCancel));
    HWND question = WaitForMessageDialog(wizard);
    ASSERT_TRUE(question);
    korean::ExpectCancelQuestion(question);
    Screenshot(question, "e2e-ko-cancel-question");
    ASSERT_TRUE(Press(question, kYes));

    HWND finish = WaitForPage(wizard, kFinishText);
    ASSERT_TRUE(finish);
    korean::ExpectFinishPage(finish, false);
    Screenshot(finish, "e2e-ko-finish-failed");
    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, 10000), 0u);
}

} // namespace
