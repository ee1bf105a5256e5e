// A whole installation with the Korean build (x86 profile) under code page 949: its pages
// in Korean, the driver registered for "Windows NT x86". On 64-bit Wine the spooler
// refuses a printer on an x86 driver (error 87), so no printer is made, the finish page
// reports the failure and the default printer stays as it was.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;
using namespace e2e;

namespace {

class KoreanInstallation : public InstallCase {
  protected:
    KoreanInstallation() : InstallCase(kKo64Build) {}
};

TEST_F(KoreanInstallation, PagesSpeakKoreanAndTheDriverIsRegisteredForX86) {
    ASSERT_NO_FATAL_FAILURE(DriveWholeRoad(false, "e2e-ko"));

    DriverState driver = GetDriverState(kLaser, build.environment);
    ASSERT_TRUE(driver.exists) << "no driver for " << build.environment;
    EXPECT_EQ(driver.version, 3u);
    EXPECT_FALSE(GetDriverState(kLaser, "Windows x64").exists);
    EXPECT_FALSE(GetPrinterState(kLaser).exists) << "64-bit Wine takes no printer on it";
    EXPECT_EQ(ProfileDevice(), deviceBefore) << "no printer, so no default printer";
}

} // namespace
