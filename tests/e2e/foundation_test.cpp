// The wizard's first and last steps, driven from outside: the reading status, the welcome
// page, the cancel question, the failure finish page, and the refusal of systems the
// driver does not support. Built for x86-64 it drives drvsetup_x64; built for i686 the
// shipped Korean drvsetup_x86 on the 32-bit platform, under code page 949.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;
using namespace e2e;

namespace {

class Foundation : public InstallCase {
  protected:
    Foundation() : InstallCase(kOwnBuild) {}
    const Texts &t = *build.texts;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        if (build.texts == &kKorean)
            ASSERT_EQ(GetACP(), 949u) << "the Korean program runs under code page 949";
    }

    void TearDown() override {
        InstallCase::TearDown();
        SetWineVersion("win7");
    }

    // The shipped program, with the pauses it ships with.
    void Start() {
        ASSERT_NO_FATAL_FAILURE(MakeFolder(build.program));
        ASSERT_NO_FATAL_FAILURE(InstallCase::Start(build.program));
    }

    // Waits for the welcome page, past the reading status.
    HWND Welcome() {
        HWND page = WaitForPage(wizard, kWelcomeText, kSlow);
        EXPECT_TRUE(page) << "no welcome page";
        return page;
    }

    // Presses Cancel on a page and waits for the cancel question.
    HWND AskToCancel(HWND page) {
        EXPECT_TRUE(Press(page, kCancel));
        HWND question = WaitForMessageDialog(wizard, kSlow);
        EXPECT_TRUE(question) << "no cancel question";
        return question;
    }

    void Screenshot(HWND window, const std::string &name) {
        KeepPicture(window, name);
    }
};

bool Seen(const std::vector<std::string> &classes, const char *windowClass) {
    return std::find(classes.begin(), classes.end(), windowClass) != classes.end();
}

TEST_F(Foundation, ReadingStatusShowsForASecondThenTheWelcomePage) {
#ifdef _WIN64
    ASSERT_EQ(ProbeWindowsVersion(), "6.1");
#endif
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND status = WaitForWindow(wizard, "", kStatusText, kSlow);
    ASSERT_TRUE(status) << "no reading status";
    ULONGLONG shown = Now();
    EXPECT_EQ(ControlText(status, kStatusText), t.reading);
    Screenshot(status, "e2e-reading-status");
    ASSERT_TRUE(WaitGone(status, kSlow));
#ifdef _WIN64
    // One second by the wizard's timer; the polling and Wine's timers add a little (under
    // emulation, far more).
    ULONGLONG gone = Now();
    EXPECT_GE(gone - shown, 800u);
    EXPECT_LE(gone - shown, 2500u);
#else
    (void)shown;
#endif

    HWND page = Welcome();
    ASSERT_TRUE(page);
    ExpectSays(page, {{0, t.pageCaption}, {kWelcomeText, t.supported}, {kNext, t.next}});
    EXPECT_EQ(FocusedControl(page), kNext);
    EXPECT_FALSE(IsControlVisible(page, 2039)) << "the picture panel is declared hidden";
    EXPECT_TRUE(FindWindowOf(wizard, "", kStatusText) == nullptr);
    Screenshot(page, "e2e-welcome");

    // The hidden main window exists and was seen being created, which also shows that the
    // record of created windows works (the refusal tests rely on it).
    EXPECT_TRUE(Seen(CreatedWindowClasses(wizard), "J71_Driver_Setup"));
    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(wizard, page));
}

TEST_F(Foundation, CancelAnsweredNoKeepsTheWelcomePageAndYesEndsOnTheFailurePage) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND page = Welcome();
    ASSERT_TRUE(page);

    HWND question = AskToCancel(page);
    ASSERT_TRUE(question);
    ExpectSays(question,
               {{0, t.questionCaption}, {kMessageText, t.question}, {kYes, t.yes}, {kNo, t.no}});
    EXPECT_FALSE(HasControl(question, kOk));
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(question, kIcon), "question"), "question");
    Screenshot(question, "e2e-cancel-question");

    ASSERT_TRUE(Press(question, kNo));
    ASSERT_TRUE(WaitGone(question, kSlow));
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(page)) << "No must leave the welcome page open";
    EXPECT_EQ(FindWindowOf(wizard, "", kFinishText), nullptr);
    EXPECT_EQ(ControlText(page, kWelcomeText), t.supported);

    question = AskToCancel(page);
    ASSERT_TRUE(question);
    ASSERT_TRUE(Press(question, kYes));
    HWND finish = WaitForPage(wizard, kFinishText, kSlow);
    ASSERT_TRUE(finish) << "no finish page after Yes";
    EXPECT_FALSE(IsWindow(page) && IsWindowVisible(page));
    ExpectSays(finish, {{0, t.wizardTitle},
                        {kFinishText, t.failed},
                        {kFinishCheck, t.defaultBox},
                        {kFinishCopyright, t.copyright},
                        {kOk, t.ok}});
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    EXPECT_EQ(FocusedControl(finish), kOk);
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(finish, kIcon), "hand"), "hand");
    Screenshot(finish, "e2e-finish-failed");

    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, kSlow), 0u);
    EXPECT_EQ(ProfileDevice(), deviceBefore) << "a failed run must not touch the default printer";
}

TEST_F(Foundation, EscapeOnTheWelcomePageAsksAndEscapeAgainRefusesTheCancel) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND page = Welcome();
    ASSERT_TRUE(page);
    ASSERT_TRUE(PressKey(page, VK_ESCAPE));
    HWND question = WaitForMessageDialog(wizard, kSlow);
    ASSERT_TRUE(question) << "Esc must ask the cancel question";
    EXPECT_EQ(ControlText(question, kMessageText), t.question);

    // Esc in the question ends it with 2, which is no confirmation.
    ASSERT_TRUE(PressKey(question, VK_ESCAPE));
    ASSERT_TRUE(WaitGone(question, kSlow));
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(page));
    ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(wizard, page));
}

struct Unsupported {
    const char *wineVersion;
    const char *seen; // what GetVersionExA reports under it
};

void PrintTo(const Unsupported &system, std::ostream *out) {
    *out << system.wineVersion << " (" << system.seen << ")";
}

class RefusedSystem : public Foundation, public ::testing::WithParamInterface<Unsupported> {};

TEST_P(RefusedSystem, ShowsTheSystemMessageBoxAndNeverCreatesTheMainWindow) {
    ASSERT_TRUE(SetWineVersion(GetParam().wineVersion));
    ASSERT_EQ(ProbeWindowsVersion(), GetParam().seen) << "the next process must see it";
    ASSERT_NO_FATAL_FAILURE(Start());

    ExpectPlatformRefused(wizard, kSlow, [this](HWND box) {
        EXPECT_EQ(TopWindows(wizard).size(), 1u);
        Screenshot(box, std::string("e2e-refused-") + GetParam().wineVersion);
    });
}

INSTANTIATE_TEST_SUITE_P(Versions, RefusedSystem,
                         ::testing::Values(Unsupported{"winxp64", "5.2"},
                                           Unsupported{"win8", "6.2"}),
                         [](const ::testing::TestParamInfo<Unsupported> &info) {
                             return std::string(info.param.wineVersion);
                         });

} // namespace
