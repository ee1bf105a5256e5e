// The English program at the resolution the harness set (run at 96, 120 and 144 dpi): its
// four pages covered by their artwork with the texts and lists on its light panel, its
// copy page, message and status dialogs whole.
#include "dpi_road.h"

namespace {

TEST(Resolution, EveryPageAndDialogOfTheEnglishProgram) {
    dpi::CheckTheRoad("C:\\e2e\\dpi", "drvsetup_x64.exe", "dpi-en");
}

} // namespace
