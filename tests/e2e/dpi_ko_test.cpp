// The Korean program under code page 949 at the resolution the harness set (run at 120 and
// 144 dpi): its four pages covered by their artwork with the texts and lists on its light
// panel, its copy page, message and status dialogs whole. Built for i686 it drives the
// shipped drvsetup_x86.exe on the 32-bit platform; built for x86-64 the test build of the
// same sources, whose installation ends on the failure page (64-bit Wine takes no printer
// on a "Windows NT x86" driver), a page like any other here.
#include "dpi_road.h"

namespace {

#ifdef _WIN64
const char kProgram[] = "drvsetup_ko64_t.exe";
#else
const char kProgram[] = "drvsetup_x86.exe";
#endif

TEST(Resolution, EveryPageAndDialogOfTheKoreanProgram) {
    ASSERT_EQ(GetACP(), 949u);
    dpi::CheckTheRoad("C:\\e2e\\dpi", kProgram, "dpi-ko");
}

} // namespace
