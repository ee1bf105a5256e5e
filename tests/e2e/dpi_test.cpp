// The English program at the resolution the harness set (run at 96, 120 and 144 dpi): its
// four pages covered by their artwork with the texts and lists on its light panel, its
// copy page, message and status dialogs whole.
#include "dpi_road.h"

namespace {

class Resolution : public e2e::InstallCase {};

TEST_F(Resolution, EveryPageAndDialogOfTheEnglishProgram) {
    ASSERT_EQ(dpi::ScreenDpi(), dpi::RequestedDpi()) << "the harness did not set the resolution";
    DriveWholeRoad(true, "", dpi::Checks("dpi-en"));
}

} // namespace
