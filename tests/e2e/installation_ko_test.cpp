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

using korean::kEnvironment;
const char kModel[] = "Zelmox J71 Laser";

class KoreanInstallation : public korean::KoreanWizard {};

TEST_F(KoreanInstallation, PagesSpeakKoreanAndTheDriverIsRegisteredForX86) {
    std::string deviceBefore = ProfileDevice();
    HWND welcome = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(welcome);
    Press(welcome, kNext);

    HWND model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model);
    korean::ExpectModelPage(model);
    EXPECT_EQ(ListItems(model, kModelList).size(), 3u);
    EXPECT_EQ(ListSelection(model, kModelList), 0);
    Screenshot(model, "e2e-ko-model");
    Press(model, kNext);

    HWND port = WaitForPage(wizard, kPortList);
    ASSERT_TRUE(port);
    korean::ExpectPortPage(port);
    Screenshot(port, "e2e-ko-port");
    Press(port, kNext);

    HWND writing = WaitForWindow(wizard, "", kStatusText, 30000);
    ASSERT_TRUE(writing);
    korean::ExpectWritingStatus(writing);
    HWND finish = WaitForPage(wizard, kFinishText, 30000);
    ASSERT_TRUE(finish);
    // The printer was refused, so the installation is reported as failed and no
    // default printer is offered.
    korean::ExpectFinishPage(finish, false);
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
