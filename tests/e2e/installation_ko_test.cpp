// A whole installation with the Korean build (x86 profile) under code page 949: its pages
// in Korean, the driver registered for "Windows NT x86". On 64-bit Wine the spooler
// refuses a printer on an x86 driver (error 87), so no printer is made, the finish page
// reports the failure and the default printer stays as it was.
#include "korean_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;

namespace {

using korean::kPageCaption;
const char kEnvironment[] = "Windows NT x86";
const char kModel[] = "Zelmox J71 Laser";

class KoreanInstallation : public korean::KoreanWizard {};

TEST_F(KoreanInstallation, PagesSpeakKoreanAndTheDriverIsRegisteredForX86) {
    std::string deviceBefore = ProfileDevice();
    HWND welcome = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(welcome);
    Press(welcome, kNext);

    HWND model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model);
    EXPECT_EQ(TextOf(model), kPageCaption);
    EXPECT_EQ(ControlText(model, 2034), "프린터 모델(&M):");
    EXPECT_EQ(ControlText(model, 2009),
              " 목록에서 설치할 프린터 모델을 선택하시고, \"다음\" 버튼을 누르십시오.");
    EXPECT_EQ(ControlText(model, kBack), "이전(&B)");
    EXPECT_EQ(ListItems(model, kModelList).size(), 3u);
    EXPECT_EQ(ListSelection(model, kModelList), 0);
    Screenshot(model, "e2e-ko-model");
    Press(model, kNext);

    HWND port = WaitForPage(wizard, kPortList);
    ASSERT_TRUE(port);
    EXPECT_EQ(TextOf(port), kPageCaption);
    EXPECT_EQ(ControlText(port, 2017), "연결할 포트(&P):");
    // Two lines, broken at the line feed.
    EXPECT_EQ(ControlText(port, 2009), " 프린터가 연결된 포트를 지정합니다.\n목록에서 포트를 "
                                       "선택한 후, \"다음\" 버튼을 누르십시오.");
    Screenshot(port, "e2e-ko-port");
    Press(port, kNext);

    HWND writing = WaitForWindow(wizard, "", kStatusText, 30000);
    ASSERT_TRUE(writing);
    EXPECT_EQ(ControlText(writing, kStatusText), "시스템 정보를 수정하고 있습니다...");
    HWND finish = WaitForPage(wizard, kFinishText, 30000);
    ASSERT_TRUE(finish);
    // The printer was refused, so the installation is reported as failed and no
    // default printer is offered.
    EXPECT_EQ(ControlText(finish, kFinishText), "설치를 중지합니다.");
    EXPECT_EQ(ControlText(finish, kFinishCheck), "기본 프린터로 설정합니다.(&D)");
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    Screenshot(finish, "e2e-ko-finish");
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);

    DriverState driver = GetDriverState(kModel, kEnvironment);
    ASSERT_TRUE(driver.exists) << "no driver for " << kEnvironment;
    EXPECT_EQ(driver.version, 3u);
    EXPECT_FALSE(GetDriverState(kModel, "Windows x64").exists);
    EXPECT_FALSE(GetPrinterState(kModel).exists) << "64-bit Wine takes no printer on it";
    EXPECT_EQ(ProfileDevice(), deviceBefore) << "no printer, so no default printer";
}

} // namespace
