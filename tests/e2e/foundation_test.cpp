// The wizard's first and last steps, driven from outside: the reading status, the welcome
// page, the cancel question, the failure finish page, and the refusal of systems the
// driver does not support.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;

namespace {

const char kPageCaption[] = "Zelmox Printer Driver Install Wizard";
const char kWizardTitle[] = "Printer Driver Setup";
const char kSupportedX64[] = "Supported operating system:\r\n"
                             "\tWindows 7 Home x64\r\n"
                             "\tWindows 7 Professional x64\r\n"
                             "\tWindows 7 Ultimate x64\r\n"
                             "\r\n"
                             "Terminate all running applications before installing driver.";
const char kCancelQuestion[] = "Are you sure you want to cancel TQL driver installation?";

class Foundation : public ::testing::Test {
  protected:
    Wizard wizard;
    std::string folder;

    void SetUp() override {
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::string("C:\\e2e\\") + test->name();
        std::replace(folder.begin(), folder.end(), '/', '_');
        ASSERT_FALSE(SourcePath().empty()) << "DRVSETUP_SOURCE is not set";
        ASSERT_FALSE(BinPath().empty()) << "DRVSETUP_BIN is not set";
    }

    void TearDown() override {
        EXPECT_FALSE(IsRunning(wizard)) << "the wizard was still running";
        StopWizard(&wizard);
        SetWineVersion("win7");
    }

    void Start(const char *program = "drvsetup_x64.exe") {
        ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(program)));
        ASSERT_TRUE(StartWizard(&wizard, folder, program));
    }

    // Waits for the welcome page, past the reading status.
    HWND Welcome() {
        HWND page = WaitForPage(wizard, kWelcomeText);
        EXPECT_TRUE(page) << "no welcome page";
        return page;
    }

    void Screenshot(HWND window, const char *name) {
        Pump(150);
        CreateDirectoryA(BinPath("screenshots").c_str(), nullptr);
        std::string path = BinPath("screenshots\\") + name + ".bmp";
        EXPECT_TRUE(SaveScreenshot(window, path)) << path;
    }
};

bool Seen(const std::vector<std::string> &classes, const char *windowClass) {
    return std::find(classes.begin(), classes.end(), windowClass) != classes.end();
}

// Presses Cancel on a page and waits for the cancel question.
HWND AskToCancel(const Wizard &wizard, HWND page) {
    EXPECT_TRUE(Press(page, kCancel));
    HWND question = WaitForMessageDialog(wizard);
    EXPECT_TRUE(question) << "no cancel question";
    return question;
}

TEST_F(Foundation, ReadingStatusShowsForASecondThenTheWelcomePageOfTheX64Build) {
    ASSERT_EQ(ProbeWindowsVersion(), "6.1");
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND status = WaitForWindow(wizard, "", kStatusText, 10000);
    ASSERT_TRUE(status) << "no reading status";
    ULONGLONG shown = Now();
    EXPECT_EQ(ControlText(status, kStatusText), "Reading setup information...");
    Screenshot(status, "e2e-reading-status");
    ASSERT_TRUE(WaitGone(status, 10000));
    ULONGLONG gone = Now();
    // One second by the wizard's timer; the polling and Wine's timers add a little.
    EXPECT_GE(gone - shown, 800u);
    EXPECT_LE(gone - shown, 2500u);

    HWND page = Welcome();
    ASSERT_TRUE(page);
    EXPECT_EQ(TextOf(page), kPageCaption);
    EXPECT_EQ(ControlText(page, kWelcomeText), kSupportedX64);
    EXPECT_EQ(ControlText(page, kNext), "Next");
    EXPECT_EQ(FocusedControl(page), kNext);
    EXPECT_FALSE(IsControlVisible(page, 2039)) << "the picture panel is declared hidden";
    EXPECT_TRUE(FindWindowOf(wizard, "", kStatusText) == nullptr);
    Screenshot(page, "e2e-welcome");

    // The hidden main window exists and was seen being created, which also shows that the
    // record of created windows works (the refusal tests rely on it).
    std::vector<std::string> created = CreatedWindowClasses(wizard);
    EXPECT_TRUE(Seen(created, "J71_Driver_Setup"));

    HWND question = AskToCancel(wizard, page);
    ASSERT_TRUE(question);
    ASSERT_TRUE(Press(question, kYes));
    HWND finish = WaitForPage(wizard, kFinishText);
    ASSERT_TRUE(finish);
    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, 10000), 0u);
}

TEST_F(Foundation, CancelAnsweredNoKeepsTheWelcomePageAndYesEndsOnTheFailurePage) {
    std::string deviceBefore = ProfileDevice();
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND page = Welcome();
    ASSERT_TRUE(page);

    HWND question = AskToCancel(wizard, page);
    ASSERT_TRUE(question);
    EXPECT_EQ(TextOf(question), "Question");
    EXPECT_EQ(ControlText(question, kMessageText), kCancelQuestion);
    EXPECT_EQ(ControlText(question, kYes), "&Yes");
    EXPECT_EQ(ControlText(question, kNo), "&No");
    EXPECT_FALSE(HasControl(question, kOk));
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(question, kIcon), "question"), "question");
    Screenshot(question, "e2e-cancel-question");

    ASSERT_TRUE(Press(question, kNo));
    ASSERT_TRUE(WaitGone(question));
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(page)) << "No must leave the welcome page open";
    EXPECT_EQ(FindWindowOf(wizard, "", kFinishText), nullptr);
    EXPECT_EQ(ControlText(page, kWelcomeText), kSupportedX64);

    question = AskToCancel(wizard, page);
    ASSERT_TRUE(question);
    ASSERT_TRUE(Press(question, kYes));
    HWND finish = WaitForPage(wizard, kFinishText);
    ASSERT_TRUE(finish) << "no finish page after Yes";
    EXPECT_FALSE(IsWindow(page) && IsWindowVisible(page));
    EXPECT_EQ(TextOf(finish), kWizardTitle);
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has failed.");
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    EXPECT_EQ(FocusedControl(finish), kOk);
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(finish, kIcon), "hand"), "hand");
    Screenshot(finish, "e2e-finish-failed");

    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, 10000), 0u);
    EXPECT_EQ(ProfileDevice(), deviceBefore) << "a failed run must not touch the default printer";
}

TEST_F(Foundation, EscapeOnTheWelcomePageAsksAndEscapeAgainRefusesTheCancel) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND page = Welcome();
    ASSERT_TRUE(page);
    ASSERT_TRUE(PressKey(page, VK_ESCAPE));
    HWND question = WaitForMessageDialog(wizard);
    ASSERT_TRUE(question) << "Esc must ask the cancel question";
    EXPECT_EQ(ControlText(question, kMessageText), kCancelQuestion);

    // Esc in the question ends it with 2, which is no confirmation.
    ASSERT_TRUE(PressKey(question, VK_ESCAPE));
    ASSERT_TRUE(WaitGone(question));
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(page));

    question = AskToCancel(wizard, page);
    ASSERT_TRUE(question);
    ASSERT_TRUE(Press(question, kYes));
    HWND finish = WaitForPage(wizard, kFinishText);
    ASSERT_TRUE(finish);
    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, 10000), 0u);
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

    e2e::ExpectPlatformRefused(wizard, 10000, [this](HWND box) {
        EXPECT_EQ(TopWindows(wizard).size(), 1u);
        Screenshot(box, (std::string("e2e-refused-") + GetParam().wineVersion).c_str());
    });
}

INSTANTIATE_TEST_SUITE_P(Versions, RefusedSystem,
                         ::testing::Values(Unsupported{"winxp64", "5.2"},
                                           Unsupported{"win8", "6.2"}),
                         [](const ::testing::TestParamInfo<Unsupported> &info) {
                             return std::string(info.param.wineVersion);
                         });

} // namespace
