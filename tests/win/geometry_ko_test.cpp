// Every dialog template of the Korean build created for real from the program's own
// resources, under code page 949: the dialog's client size and each control's place and
// size against the template, converted to pixels with the base units of the template's
// typeface, as the English build's are.
#include "win/geometry_table.h"

namespace {

using geometry::Template;

const std::vector<Template> &Templates() {
    static const std::vector<Template> templates = geometry::Expected(true);
    return templates;
}

// A hidden top-level window stands in for the wizard's main window as the owner.
class Geometry : public ::testing::TestWithParam<std::string> {
  protected:
    HWND owner = NULL;
    void SetUp() override {
        // Under code page 949 the platform could measure the pages in a Korean face.
        ASSERT_EQ(949u, GetACP()) << "the Korean build is measured under code page 949";
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(owner);
    }
    void TearDown() override {
        if (owner)
            DestroyWindow(owner);
    }
};

TEST_P(Geometry, ControlsSitWhereTheTemplateSays) {
    const Template *expected = geometry::Find(Templates(), GetParam());
    ASSERT_TRUE(expected);
    geometry::CheckTemplate(*expected, owner, "ko_" + GetParam());
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const Template &t : Templates())
        names.push_back(t.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Korean, Geometry, ::testing::ValuesIn(Names()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

// The Korean welcome page's background has no SS_REALSIZEIMAGE: the control itself takes
// the bitmap's size, 497 x 309 pixels, whatever its template says (333 x 178 units), and
// keeps the dialog's corner.
TEST_F(Geometry, WelcomeBackgroundTakesTheBitmapsSize) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(NULL), "IDD_WELCOME", owner, geometry::Inert, 0);
    ASSERT_TRUE(dialog);
    HWND art = GetWindow(dialog, GW_CHILD);
    EXPECT_EQ(geometry::kArtSized, (DWORD)GetWindowLongA(art, GWL_STYLE));
    RECT placed = geometry::PlacedRect(dialog, art);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    EXPECT_EQ(497, placed.right - placed.left);
    EXPECT_EQ(309, placed.bottom - placed.top);
    DestroyWindow(dialog);
}

// The artwork spans the Korean welcome page as it does the English pages: the page is 333
// units of Arial 8 pt wide (500 pixels at 96 dpi), the 497-pixel picture leaves less than
// one character's width of it uncovered. A page measured in a Korean face instead (7-pixel
// characters: 583 pixels) shows a grey band at the right.
TEST_F(Geometry, WelcomeArtworkSpansThePageWidth) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(NULL), "IDD_WELCOME", owner, geometry::Inert, 0);
    ASSERT_TRUE(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    SIZE picture = {0, 0};
    ASSERT_TRUE(geometry::ImageSize(GetWindow(dialog, GW_CHILD), geometry::kArtSized, &picture));
    geometry::BaseUnits units = geometry::TypefaceUnits(geometry::kArial);
    EXPECT_EQ(MulDiv(333, units.x, 4), client.right);
    EXPECT_GE(client.right, picture.cx) << "the page is narrower than its picture";
    EXPECT_LT(client.right - picture.cx, units.x)
        << "the page is " << client.right << " pixels wide, its picture " << picture.cx;
    DestroyWindow(dialog);
}

} // namespace
