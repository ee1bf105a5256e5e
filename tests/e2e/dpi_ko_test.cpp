// The Korean program under code page 949 at the resolution the harness set (run at 120 and
// 144 dpi): its four pages covered by their artwork with the texts and lists on its light
// panel, its copy page, message and status dialogs whole. Built for i686 it drives the
// shipped drvsetup_x86.exe on the 32-bit platform; built for x86-64 the test build of the
// same sources, whose installation ends on the failure page (64-bit Wine takes no printer
// on a "Windows NT x86" driver), a page like any other here.
#include "dpi_road.h"

namespace {

#ifdef _WIN64
const e2e::Build &kBuild = e2e::kKo64Build;
#else
const e2e::Build &kBuild = e2e::kX86Build;
#endif

class Resolution : public e2e::InstallCase {
  protected:
    Resolution() : InstallCase(kBuild) {}
};

TEST_F(Resolution, EveryPageAndDialogOfTheKoreanProgram) {
    ASSERT_EQ(dpi::ScreenDpi(), dpi::RequestedDpi()) << "the harness did not set the resolution";
    DriveWholeRoad(&kBuild == &e2e::kX86Build, "", dpi::Checks("dpi-ko"));
}

} // namespace
