// Whole installations from the demo setup folder, driven page by page as a person would,
// checked by what they leave behind: the spooler's printer and driver, the copied files in
// the driver directory and its "3", and the user's default printer. The tests of this file
// share one prefix, so each compares with what it found before it started.
#include "install_fixture.h"
#include "robot/robot.h"
#include "../win/spooler_fixture.h"
#include "windows_or_wine.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace robot;

namespace {

const char kPageCaption[] = "Zelmox Printer Driver Install Wizard";
const char kEnvironment[] = "Windows x64";
const std::vector<std::string> kModels = {"Zelmox J71 Laser", "Zelmox J71 Color",
                                          "Zelmox J71 Network"};
// The CopyFiles lists of demo/J71.INF without their at signs.
const std::vector<std::string> kLaserFiles = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP",
                                              "J71.GPD",    "J71.DLL",      "J71LASER.INI"};
const std::vector<std::string> kColorFiles = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP",
                                              "J71.GPD",    "J71.DLL",      "J71COLOR.INI"};

bool Contains(const std::vector<std::string> &list, const std::string &item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class Installation : public ::testing::Test {
  protected:
    Wizard wizard;
    std::string folder;
    std::string shots; // prefix of this test's screenshots

    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = "C:\\e2e\\" + name;
        shots = "e2e-" + name + "-";
        ASSERT_FALSE(SourcePath().empty()) << "DRVSETUP_SOURCE is not set";
        ASSERT_FALSE(BinPath().empty()) << "DRVSETUP_BIN is not set";
    }

    void TearDown() override {
        EXPECT_FALSE(IsRunning(wizard)) << "the wizard was still running";
        StopWizard(&wizard);
    }

    void Start(const char *program = "drvsetup_x64.exe",
               const std::vector<std::string> &environment = {}) {
        ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath(program)));
        ASSERT_TRUE(StartWizard(&wizard, folder, program, environment));
    }

    void Screenshot(HWND window, const std::string &name) {
        Pump(150);
        CreateDirectoryA(BinPath("screenshots").c_str(), nullptr);
        EXPECT_TRUE(SaveScreenshot(window, BinPath("screenshots\\") + shots + name + ".bmp"));
    }

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

    // Chooses `port` by name on the port page and presses Next; waits until the copy page
    // has come and gone and the finish page shows. Returns the finish page.
    HWND ChoosePortAndInstall(HWND page, const std::string &port) {
        std::vector<std::string> ports = ListItems(page, kPortList);
        auto at = std::find(ports.begin(), ports.end(), port);
        EXPECT_NE(at, ports.end()) << "no port " << port;
        if (at == ports.end())
            return nullptr;
        EXPECT_TRUE(ListSelect(page, kPortList, (int)(at - ports.begin())));
        Press(page, kNext);
        HWND writing = WaitForWindow(wizard, "", kStatusText, 30000);
        EXPECT_TRUE(writing) << "no \"Writing system information...\" status";
        if (writing)
            EXPECT_EQ(ControlText(writing, kStatusText), "Writing system information...");
        HWND finish = WaitForPage(wizard, kFinishText, 30000);
        EXPECT_TRUE(finish) << "no finish page";
        return finish;
    }

    void ExpectCopied(const std::vector<std::string> &files) {
        e2e::ExpectCopied(folder, files, kEnvironment);
    }
};

TEST_F(Installation, TheWholeRoadOnDemoEndsWithPrinterDriverFilesAndDefaultPrinter) {
    std::string deviceBefore = ProfileDevice();
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    EXPECT_EQ(TextOf(model), kPageCaption);
    EXPECT_EQ(ListItems(model, kModelList), kModels);
    EXPECT_EQ(ListSelection(model, kModelList), 0) << "the first model is chosen in advance";
    EXPECT_EQ(FocusedControl(model), kModelList);
    Screenshot(model, "model");

    // Next with the first model, as offered.
    Press(model, kNext);
    HWND port = WaitForPage(wizard, kPortList);
    ASSERT_TRUE(port);
    EXPECT_EQ(TextOf(port), kPageCaption);
    // The spooler's ports in its own order; without an infrared port COM1: is chosen.
    std::vector<std::string> ports = Ports();
    EXPECT_EQ(ListItems(port, kPortList), ports);
    auto com1 = std::find(ports.begin(), ports.end(), "COM1:");
    ASSERT_NE(com1, ports.end());
    EXPECT_EQ(ListSelection(port, kPortList), (int)(com1 - ports.begin()));
    EXPECT_EQ(FocusedControl(port), kPortList);
    Screenshot(port, "port");

    Press(port, kNext);
    // The page stays a second after its last file, long enough to be read every time.
    HWND copy = WaitForPage(wizard, kCopyBar, 15000);
    ASSERT_TRUE(copy) << "no copy page";
    EXPECT_EQ(TextOf(copy), "Copying Files...");
    Screenshot(copy, "copy");
    HWND writing = WaitForWindow(wizard, "", kStatusText, 30000);
    ASSERT_TRUE(writing) << "no \"Writing system information...\" status";
    ULONGLONG writingShown = Now();
    EXPECT_EQ(ControlText(writing, kStatusText), "Writing system information...");
    Screenshot(writing, "writing");
    HWND finish = WaitForPage(wizard, kFinishText, 30000);
    ASSERT_TRUE(finish);
    // Registered, removed and registered again two seconds later, then two more seconds.
    ULONGLONG writingTook = Now() - writingShown;
    EXPECT_GE(writingTook, 3500u);
    EXPECT_LE(writingTook, 8000u);

    EXPECT_EQ(TextOf(finish), "Printer Driver Setup");
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has done successfully.");
    EXPECT_TRUE(IsControlVisible(finish, kFinishCheck));
    EXPECT_EQ(CheckState(finish, kFinishCheck), BST_CHECKED);
    EXPECT_EQ(ControlText(finish, kFinishCheck), "Set as &default printer");
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(finish, kIcon), "asterisk"), "asterisk");
    Screenshot(finish, "finish");

    // Until OK the default printer is left as it was.
    EXPECT_EQ(ProfileDevice(), deviceBefore);
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);

    ASSERT_NO_FATAL_FAILURE(e2e::ExpectRegistered(kModels[0], kEnvironment, "COM1:", kLaserFiles));

    ExpectCopied(kLaserFiles);

    EXPECT_EQ(DefaultPrinter(), kModels[0]);
    EXPECT_EQ(ProfileDevice(), kModels[0] + "," + kModels[0] + ",COM1:");
}

TEST_F(Installation, AnotherModelAndPortWithTheBoxUntickedLeavesTheDefaultPrinterAlone) {
    std::string deviceBefore = ProfileDevice();
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 1);
    ASSERT_TRUE(port);
    HWND finish = ChoosePortAndInstall(port, "LPT1:");
    ASSERT_TRUE(finish);
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has done successfully.");
    ASSERT_TRUE(SetCheck(finish, kFinishCheck, false));
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);

    EXPECT_EQ(ProfileDevice(), deviceBefore);
    EXPECT_NE(DefaultPrinter(), kModels[1]);
    PrinterState printer = GetPrinterState(kModels[1]);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "LPT1:");
    EXPECT_EQ(printer.datatype, "NT EMF 1.008") << "the model's data section names it";
    DriverState driver = GetDriverState(kModels[1], kEnvironment);
    ASSERT_TRUE(driver.exists);
    EXPECT_EQ(driver.defaultDataType, "NT EMF 1.008");
    ExpectCopied(kColorFiles);
}

TEST_F(Installation, BackWalksToTheWelcomePageAndEveryPageOffersItsFirstChoiceAgain) {
    ASSERT_TRUE(AddLocalPort("IR:")) << "an infrared port is chosen before COM1:";
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
    EXPECT_EQ(ListItems(model, kModelList), kModels) << "the list is read anew, not doubled";

    HWND port = ChooseModel(model, 2);
    ASSERT_TRUE(port);
    std::vector<std::string> ports = ListItems(port, kPortList);
    ASSERT_TRUE(Contains(ports, "IR:"));
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
    PrinterState printer = GetPrinterState(kModels[2]);
    ASSERT_TRUE(printer.exists);
    EXPECT_EQ(printer.port, "FILE:");
    EXPECT_EQ(printer.datatype, "RAW") << "a model without a data section gets RAW";
    EXPECT_EQ(DefaultPrinter(), kModels[2]);
}

TEST_F(Installation, ASecondInstallationOfTheSameModelReplacesTheFirst) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 0);
    ASSERT_TRUE(port);
    HWND finish = ChoosePortAndInstall(port, "LPT2:");
    ASSERT_TRUE(finish);
    Press(finish, kOk);
    ASSERT_EQ(WaitForExit(&wizard, 15000), 0u);
    StopWizard(&wizard);
    ASSERT_EQ(GetPrinterState(kModels[0]).port, "LPT2:");

    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe"));
    model = PastWelcome();
    ASSERT_TRUE(model);
    port = ChooseModel(model, 0);
    ASSERT_TRUE(port);
    finish = ChoosePortAndInstall(port, "COM2:");
    ASSERT_TRUE(finish);
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has done successfully.");
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);

    std::vector<std::string> printers = Printers();
    EXPECT_EQ(std::count(printers.begin(), printers.end(), kModels[0]), 1);
    EXPECT_EQ(GetPrinterState(kModels[0]).port, "COM2:");
    std::vector<std::string> drivers = DriverNames(kEnvironment);
    EXPECT_EQ(std::count(drivers.begin(), drivers.end(), kModels[0]), 1);
    EXPECT_EQ(ProfileDevice(), kModels[0] + "," + kModels[0] + ",COM2:");
    ExpectCopied(kLaserFiles);
}

TEST_F(Installation, ADriverTheSpoolerRefusesIsReportedTwiceAndNoPrinterIsMade) {
    ASSERT_NO_FATAL_FAILURE(Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=AddPrinterDriver=5"}));
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 0);
    ASSERT_TRUE(port);
    Press(port, kNext);

    // One refusal for each of the two registrations, each in the system's message box.
    for (int round = 0; round < 2; round++) {
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForSystemMessageBox(wizard, &box, 30000)) << "no message " << round;
        EXPECT_EQ(box.caption, "Add a printer error ");
        EXPECT_EQ(box.text, "Cannot add a printer driver!\r\n(System Error Code : 5)");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        if (round == 0)
            Screenshot(box.window, "refused");
        Press(box.window, IDOK);
        ASSERT_TRUE(WaitGone(box.window));
    }
    HWND finish = WaitForPage(wizard, kFinishText, 30000);
    ASSERT_TRUE(finish);
    // No printer was created, so none is announced or offered as the default printer.
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has failed.");
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    EXPECT_FALSE(GetPrinterState(kModels[0]).exists);
    EXPECT_NE(DefaultPrinter(), kModels[0]);
}

TEST_F(Installation, AMissingDriverFileStopsTheCopyAndNothingIsRegistered) {
    // An earlier installation of the model, made here rather than left by another case.
    if (!GetDriverState(kModels[2], kEnvironment).exists)
        ASSERT_TRUE(spool::AddTestDriver(kModels[2].c_str(), kEnvironment, 3));
    if (!GetPrinterState(kModels[2]).exists)
        ASSERT_TRUE(spool::AddPrinterOn(kModels[2].c_str(), kModels[2].c_str(), "LPT2:"));
    ASSERT_TRUE(MakeSetupFolder(folder, SourcePath("demo"), BinPath("drvsetup_x64.exe")));
    ASSERT_TRUE(DeleteFileA((folder + "\\J71.GPD").c_str()));
    ASSERT_TRUE(StartWizard(&wizard, folder, "drvsetup_x64.exe"));
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 2);
    ASSERT_TRUE(port);
    Press(port, kNext);

    HWND error = WaitForMessageDialog(wizard, 30000);
    ASSERT_TRUE(error) << "no copy error";
    EXPECT_EQ(TextOf(error), "Error");
    EXPECT_EQ(ControlText(error, kMessageText), "File open error.");
    HWND copy = FindWindowOf(wizard, "", kCopyBar);
    ASSERT_TRUE(copy) << "the copy page owns the message";
    EXPECT_EQ(GetWindow(error, GW_OWNER), copy);
    EXPECT_EQ(ControlText(copy, kCopyFile), "J71.GPD");
    EXPECT_EQ(ControlText(copy, kCopyDirectory), DriverDirectory() + "\\");
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(error, kIcon), "hand"), "hand");
    Screenshot(copy, "copy-error");
    Press(error, kOk);

    HWND finish = WaitForPage(wizard, kFinishText, 15000);
    ASSERT_TRUE(finish);
    EXPECT_EQ(FindWindowOf(wizard, "", kStatusText), nullptr) << "registration must not start";
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has failed.");
    EXPECT_FALSE(IsControlVisible(finish, kFinishCheck));
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    // The earlier printer is gone and no new one came. Windows refuses the model page's
    // deletion (a handle of default access), so the port page's removal takes the printer
    // and then the driver; Wine grants the model page's deletion, the port page's removal
    // then finds no printer, and the driver stays.
    EXPECT_FALSE(GetPrinterState(kModels[2]).exists);
    EXPECT_TRUE(WindowsOrWine(GetDriverState(kModels[2], kEnvironment).exists, false, true));
}

TEST_F(Installation, ABadSourceHandleIsShownThenTheSameFileIsTriedAgain) {
    ASSERT_NO_FATAL_FAILURE(Start("drvsetup_x64_t.exe", {"DRVSETUP_FAULTS=CopyLZFile=-1*1"}));
    HWND model = PastWelcome();
    ASSERT_TRUE(model);
    HWND port = ChooseModel(model, 1);
    ASSERT_TRUE(port);
    Press(port, kNext);

    HWND error = WaitForMessageDialog(wizard, 30000);
    ASSERT_TRUE(error) << "no copy error";
    EXPECT_EQ(TextOf(error), "Error");
    EXPECT_EQ(ControlText(error, kMessageText), "Cannot read the source file");
    HWND copy = FindWindowOf(wizard, "", kCopyBar);
    ASSERT_TRUE(copy);
    EXPECT_EQ(ControlText(copy, kCopyFile), "UNIDRV.DLL");
    Press(error, kOk);

    HWND finish = WaitForPage(wizard, kFinishText, 30000);
    ASSERT_TRUE(finish);
    EXPECT_EQ(ControlText(finish, kFinishText), "The Installation has done successfully.");
    Press(finish, kOk);
    EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    EXPECT_TRUE(GetPrinterState(kModels[1]).exists);
    ExpectCopied(kColorFiles);
}

} // namespace
