// Every dialog template of the English build created for real from the program's own
// resources: the dialog's client size and each control's place and size against the
// template, converted to pixels with the base units of the template's typeface.
#include "win/geometry_table.h"

namespace {

using geometry::Template;

const std::vector<Template> &Templates() {
    static const std::vector<Template> templates = geometry::Expected(false);
    return templates;
}

// A hidden top-level window stands in for the wizard's main window as the owner.
class Geometry : public ::testing::TestWithParam<std::string> {
  protected:
    HWND owner = NULL;
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(owner);
    }
    void TearDown() override {
        DestroyWindow(owner);
    }
};

TEST_P(Geometry, ControlsSitWhereTheTemplateSays) {
    const Template *expected = geometry::Find(Templates(), GetParam());
    ASSERT_TRUE(expected);
    geometry::CheckTemplate(*expected, owner, "en_" + GetParam());
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const Template &t : Templates())
        names.push_back(t.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(English, Geometry, ::testing::ValuesIn(Names()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

// The page background of the English welcome page reaches below the dialog (226 units of
// 179): it is drawn at the bitmap's own size and clipped, so whatever the platform makes
// of its size, the bitmap is the program's 497 x 309 picture and the control starts at the
// dialog's corner.
TEST_F(Geometry, WelcomeBackgroundIsThePagePictureAtTheCorner) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(NULL), "IDD_WELCOME", owner, geometry::Inert, 0);
    ASSERT_TRUE(dialog);
    HWND art = GetWindow(dialog, GW_CHILD);
    SIZE picture = {0, 0};
    ASSERT_TRUE(geometry::ImageSize(art, geometry::kArt, &picture));
    EXPECT_EQ(497, picture.cx);
    EXPECT_EQ(309, picture.cy);
    RECT placed = geometry::PlacedRect(dialog, art);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    DestroyWindow(dialog);
}

} // namespace
