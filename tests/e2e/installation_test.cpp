// Whole installations from the demo setup folder, driven page by page as a person would,
// checked by what they leave behind: the spooler's printer and driver, the copied files in
// the driver directory and its "3", and the user's default printer. The tests of this file
// share one prefix, so each compares with what it found before it started. The faults a
// road can meet are in faults_test.cpp.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;
using namespace e2e;

namespace {

class Installation : public InstallCase {
  protected:
    // Welcome page, Next; returns the model page.
    HWND PastWelcome() {
        HWND welcome = WaitForPage(wizard, kWelcomeText);
        EXPECT_TRUE(welcome) << "no welcome page";
        if (!welcome)
            return nullptr;
        Press(welcome, kNext);
        HWND model = WaitForPage(wizard, kModelList);
        EXPECT_TRUE(model) << "no model page after Next";
        return model;
    }

    // Chooses `model` on the model page and presses Next; returns the port page.
    HWND ChooseModel(HWND page, int model) {
        EXPECT_TRUE(ListSelect(page, kModelList, model));
        Press(page, kNext);
        EXPECT_TRUE(WaitGone(page)) << "the model page stayed open";
        HWND port = WaitForPage(wizard, kPortList);
        EXPECT_TRUE(port) << "no port page after Next";
        return port;
    }

    // Chooses `port` by name on the port page and presses Next; returns the finish page
    // once the wizard shows it.
    HWND ChoosePortAndInstall(HWND page, const std::string &port) {
        std::vector<std::string> ports = ListItems(page, kPortList);
        auto at = std::find(ports.begin(), ports.end(), port);
        EXPECT_NE(at, ports.end()) << "no port " << port;
        if (at == ports.end())
            return nullptr;
        EXPECT_TRUE(ListSelect(page, kPortList, (int)(at - ports.begin())));
        Press(page, kNext);
        Sight finish = NextSight(wizard);
        EXPECT_EQ(finish.what, Shown::kFinish) << "saw " << Describe(finish);
        return finish.window;
    }
};

// The shipped program with the pauses a person needs: the reading status a second, the
// copy page a second after its last file, and the writing status while the driver is
// registered, removed and registered again two seconds later, then two more seconds.
TEST_F(Installation, TheWholeRoadOnDemoEndsWithPrinterDriverFilesAndDefaultPrinter) {
    ULONGLONG shown = 0;
    // From a status box's showing to the next stop: `least` to `most` milliseconds.
    auto lasted = [&shown](ULONGLONG least, ULONGLONG most) {
        EXPECT_GE(Now() - shown, least);
        EXPECT_LE(Now() - shown, most);
    };
    auto timings = [&](Stop stop, HWND window) {
        if (stop == Stop::kReading || stop == Stop::kWriting)
            shown = Now();
        if (stop == Stop::kWelcome)
            lasted(800, 2500);
        if (stop == Stop::kFinish)
            lasted(3500, 8000);
        if (stop == Stop::kModel || stop == Stop::kPort)
            EXPECT_EQ(FocusedControl(window), stop == Stop::kModel ? kModelList : kPortList);
    };
    ASSERT_NO_FATAL_FAILURE(DriveWholeRoad(true, "e2e-en", timings));

    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
    ExpectCopied(folder, kLaserFiles);
    EXPECT_EQ(DefaultPrinter(), kLaser);
    EXPECT_EQ(ProfileDevice(), std::string(kLaser) + "," + kLaser + ",COM1:");
}

TEST_F(Installation, AnotherModelAndPortWithTheBoxUntickedLeavesTheDefaultPrinterAlone) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 1);
    ASSERT_TRUE(port);
    HWND finish = ChoosePortAndInstall(port, "LPT1:");
    ASSERT_TRUE(finish);
    EXPECT_EQ(ControlText(finish, kFinishText), kSucceeded);
    ASSERT_TRUE(SetCheck(finish, kFinishCheck, false));
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);

    EXPECT_EQ(ProfileDevice(), deviceBefore);
    EXPECT_NE(DefaultPrinter(), kColor);
    PrinterState printer = GetPrinterState(kColor);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "LPT1:");
    EXPECT_EQ(printer.datatype, "NT EMF 1.008") << "the model's data section names it";
    DriverState driver = GetDriverState(kColor, kEnvironment);
    ASSERT_TRUE(driver.exists);
    EXPECT_EQ(driver.defaultDataType, "NT EMF 1.008");
    ExpectCopied(folder, kColorFiles);
}

TEST_F(Installation, BackWalksToTheWelcomePageAndEveryPageOffersItsFirstChoiceAgain) {
    const std::string network = DemoModels()[2];
    ASSERT_TRUE(AddLocalPort("IR:")) << "an infrared port is chosen before COM1:";
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    Press(model, kBack);
    HWND welcome = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(welcome) << "Back on the model page must return to the welcome page";
    // Enter: Next is the welcome page's default button.
    PressKey(welcome, VK_RETURN);
    model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model);
    EXPECT_EQ(ListItems(model, kModelList), DemoModels()) << "the list is read anew, not doubled";

    HWND port = ChooseModel(model, 2);
    ASSERT_TRUE(port);
    std::vector<std::string> ports = ListItems(port, kPortList);
    int selected = ListSelection(port, kPortList);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(ports[selected], "IR:");
    // Alt+B: "&Back".
    PressMnemonic(port, 'b');
    model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model) << "Back on the port page must return to the model page";
    EXPECT_EQ(ListSelection(model, kModelList), 0) << "the earlier choice is not kept";

    port = ChooseModel(model, 2);
    ASSERT_TRUE(port);
    HWND finish = ChoosePortAndInstall(port, "FILE:");
    ASSERT_TRUE(finish);
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    PrinterState printer = GetPrinterState(network);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "FILE:");
    EXPECT_EQ(printer.datatype, "RAW") << "a model without a data section gets RAW";
    EXPECT_EQ(DefaultPrinter(), network);
}

TEST_F(Installation, ASecondInstallationOfTheSameModelReplacesTheFirst) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    for (const char *port : {"LPT2:", "COM2:"}) {
        SCOPED_TRACE(port);
        ASSERT_NO_FATAL_FAILURE(Start());
        HWND model = PastWelcome();
        ASSERT_TRUE(model);
        HWND finish = ChoosePortAndInstall(ChooseModel(model, 0), port);
        ASSERT_TRUE(finish);
        EXPECT_EQ(ControlText(finish, kFinishText), kSucceeded);
        Press(finish, kOk);
        ASSERT_EQ(WaitForExit(&wizard, 15000), 0u);
        StopWizard(&wizard);
        ASSERT_EQ(GetPrinterState(kLaser).port, port);
    }
    std::vector<std::string> printers = Printers();
    EXPECT_EQ(std::count(printers.begin(), printers.end(), kLaser), 1);
    std::vector<std::string> drivers = DriverNames(kEnvironment);
    EXPECT_EQ(std::count(drivers.begin(), drivers.end(), kLaser), 1);
    EXPECT_EQ(ProfileDevice(), std::string(kLaser) + "," + kLaser + ",COM2:");
    ExpectCopied(folder, kLaserFiles);
}

} // namespace
