// Every dialog template of the program created for real from its own resources, as this
// test program links them: the dialog's client size and each control's place and size
// against the template, converted to pixels with the base units of the template's
// typeface. Linked with the Korean resources (geometry_ko_test.cpp) it runs under code
// page 949, where the platform could measure the pages in a Korean face.
#include "win/geometry.h"

namespace {

using geometry::Template;

// Whether this program carries the Korean resource set (both sets are tagged Korean): its
// success message is not in ASCII.
bool Korean() {
    wchar_t text[64] = L"";
    LoadStringW(GetModuleHandleA(NULL), 4000, text, 64);
    return text[0] > 127;
}

// A hidden top-level window stands in for the wizard's main window as the owner.
class Geometry : public ::testing::TestWithParam<std::string> {
  protected:
    HWND owner = NULL;
    void SetUp() override {
        if (Korean())
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
    Template expected = geometry::FromResources(GetParam());
    ASSERT_FALSE(expected.controls.empty()) << GetParam() << " cannot be read";
    geometry::CheckTemplate(expected, owner, (Korean() ? "ko_" : "en_") + GetParam());
}

INSTANTIATE_TEST_SUITE_P(Templates, Geometry, ::testing::ValuesIn(geometry::DialogNames()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             return info.param;
                         });

// The welcome page's background (in the English template it reaches below the dialog, 226
// units of 179) is drawn at the bitmap's own size and clipped, so whatever the platform
// makes of its size, the bitmap is the program's 497 x 309 picture and the control starts
// at the dialog's corner.
TEST_F(Geometry, WelcomeBackgroundIsThePagePictureAtTheCorner) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(NULL), "IDD_WELCOME", owner, geometry::Inert, 0);
    ASSERT_TRUE(dialog);
    HWND art = GetWindow(dialog, GW_CHILD);
    SIZE picture = {0, 0};
    ASSERT_TRUE(geometry::ImageSize(art, geometry::FromResources("IDD_WELCOME").controls[0].style,
                                    &picture));
    EXPECT_EQ(497, picture.cx);
    EXPECT_EQ(309, picture.cy);
    RECT placed = geometry::PlacedRect(dialog, art);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    DestroyWindow(dialog);
}

} // namespace
