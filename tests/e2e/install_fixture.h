// What whole installations have in common when the robot drives them: the demo's models,
// the spooler state a case may change and puts back, what the wizard shows next, and the
// one fixture of every end-to-end case: a build (the x64 build unless a case names
// another), a setup folder of the case's own and the spooler left as it was found.
#pragma once

#include "road.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace e2e {

const char kEnvironment[] = "Windows x64";
const char kSucceeded[] = "The Installation has done successfully.";
const char kFailed[] = "The Installation has failed.";
const char kLaser[] = "Zelmox J71 Laser";
const char kColor[] = "Zelmox J71 Color";
// The demo's lists of the laser and colour models (demo/J71.INF), in order, without their
// at signs.
inline const std::vector<std::string> kLaserFiles = DemoFiles(kLaser);
inline const std::vector<std::string> kColorFiles = DemoFiles(kColor);
// What a wait for the wizard allows: a process starts in about 2.5 s under emulation.
#ifdef _WIN64
const DWORD kSlow = 15000;
#else
const DWORD kSlow = 30000;
#endif
// The pauses a person needs, shortened in the test builds for the cases not about them.
const char kQuickPauses[] = "ReadingPause=0;WritingPause=0;CopyPause=0";

inline std::set<std::string> SetOf(const std::vector<std::string> &names) {
    return std::set<std::string>(names.begin(), names.end());
}

// The names of a 1023-character copy list (corpus file copyfiles-1023.inf), as
// make-corpus.py writes them.
inline std::vector<std::string> PartNames() {
    std::vector<std::string> names;
    for (int part = 1; part <= 12; part++) {
        char prefix[16];
        snprintf(prefix, sizeof prefix, "J71-PART-%02d-", part);
        std::string name = prefix;
        name.resize(74, 'X');
        names.push_back(name + ".DLL");
    }
    std::string last = "J71-PART-LAST-";
    last.resize(71, 'X');
    names.push_back(last + ".INI");
    return names;
}

// The 127-character name of corpus file copyfiles-long-name.inf, as make-corpus.py
// writes it: with a setup folder in front, a path beyond the 128 characters the LZ
// library's own open takes.
inline std::string LongCorpusName() {
    std::string name = "J71-LONG-";
    name.resize(123, 'X');
    return name + ".DLL";
}

inline std::string BaseName(const std::string &path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// A file compressed by the LZ library ("SZDD", method 'A': LZSS over a 4096-byte window
// that starts filled with blanks), expanded here without the platform's help so that its
// copies are checked against something independent; any other file as it stands.
inline std::string ExpandSzdd(const std::string &packed) {
    if (packed.size() < 14 || packed.compare(0, 4, "SZDD") != 0)
        return packed;
    std::string out;
    unsigned char window[4096];
    std::fill(window, window + sizeof window, ' ');
    unsigned position = 4096 - 16;
    auto emit = [&](unsigned char c) {
        out += (char)c;
        window[position] = c;
        position = (position + 1) & 4095;
    };
    size_t at = 14;
    while (at < packed.size()) {
        unsigned flags = (unsigned char)packed[at++];
        for (int bit = 0; bit < 8 && at < packed.size(); bit++, flags >>= 1) {
            if (flags & 1) {
                emit((unsigned char)packed[at++]);
                continue;
            }
            if (at + 1 >= packed.size())
                return out;
            unsigned low = (unsigned char)packed[at], high = (unsigned char)packed[at + 1];
            at += 2;
            unsigned from = low | (high & 0xF0) << 4;
            for (unsigned i = 0; i < (high & 0x0F) + 3; i++)
                emit(window[(from + i) & 4095]);
        }
    }
    return out;
}

// The copied files: each in the environment's driver directory and in its "3", the
// setup folder's file byte for byte, expanded when it is stored compressed.
inline void ExpectCopied(const std::string &folder, const std::vector<std::string> &files,
                         const std::string &environment = kEnvironment) {
    std::string directory = robot::DriverDirectory(environment);
    ASSERT_FALSE(directory.empty());
    for (const std::string &name : files) {
        std::string source;
        ASSERT_TRUE(robot::ReadWholeFile(folder + "\\" + name, &source)) << name;
        std::string expected = ExpandSzdd(source);
        for (const std::string &where : {directory, directory + "\\3"}) {
            std::string copy;
            ASSERT_TRUE(robot::ReadWholeFile(where + "\\" + name, &copy))
                << name << " is missing from " << where;
            EXPECT_TRUE(copy == expected) << name << " in " << where << " is not "
                                          << (expected == source ? "a copy" : "its expansion");
        }
    }
}

// The platform refusal: the system's "Install Error" box, with no owner, the hand icon
// and OK alone, and no main window, shown or hidden, since the check comes before it; OK
// ends the program with exit code 0. `picture` is handed the box before it is answered.
template <typename Picture>
inline void ExpectPlatformRefused(robot::Wizard &wizard, DWORD timeoutMs, Picture picture) {
    robot::MessageBoxInfo box;
    ASSERT_TRUE(robot::WaitForSystemMessageBox(wizard, &box, timeoutMs)) << "no message box";
    EXPECT_EQ(box.caption, "Install Error");
    EXPECT_EQ(box.text, "This Driver is not supported on this Operating System.");
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), nullptr) << "the box has no owner";
    ASSERT_TRUE(box.icon) << "the message box shows no icon";
    robot::Pump(200);
    EXPECT_EQ(robot::WaitForIcon(box.icon, "hand"), "hand");
    for (HWND window : robot::TopWindows(wizard, true))
        EXPECT_NE(robot::ClassOf(window), "J71_Driver_Setup");
    picture(box.window);

    ASSERT_TRUE(robot::Press(box.window, IDOK));
    EXPECT_EQ(robot::WaitForExit(&wizard, timeoutMs), 0u);
    std::vector<std::string> created = robot::CreatedWindowClasses(wizard);
    EXPECT_NE(std::find(created.begin(), created.end(), "#32770"), created.end())
        << "the message box itself must have been seen being created";
    EXPECT_EQ(std::find(created.begin(), created.end(), "J71_Driver_Setup"), created.end());
}

// Cuts a compressed file of a setup folder to half its length, as a broken copy would.
inline void TruncateCompressed(const std::string &folder, const std::string &name) {
    std::string packed;
    ASSERT_TRUE(robot::ReadWholeFile(folder + "\\" + name, &packed));
    ASSERT_EQ(packed.compare(0, 4, "SZDD"), 0) << "the demo ships " << name << " compressed";
    ASSERT_TRUE(robot::WriteTextFile(folder + "\\" + name, packed.substr(0, packed.size() / 2)));
}

// The parts of the spooler a case may change, so that it can be put back as it was.
// Cancels the wizard from `page` as a person would: the cancel question answered Yes, the
// finish page closed, and the program ends with 0.
inline void CancelToTheEnd(robot::Wizard &wizard, HWND page) {
    ASSERT_TRUE(robot::Press(page, robot::kCancel));
    HWND question = robot::WaitForMessageDialog(wizard, kSlow);
    ASSERT_TRUE(question) << "no cancel question";
    ASSERT_TRUE(robot::Press(question, robot::kYes));
    HWND finish = robot::WaitForPage(wizard, robot::kFinishText, kSlow);
    ASSERT_TRUE(finish) << "no finish page";
    ASSERT_TRUE(robot::Press(finish, robot::kOk));
    EXPECT_EQ(robot::WaitForExit(&wizard, kSlow), 0u);
}

struct SpoolerState {
    std::set<std::string> printers, drivers, files, versionFiles, ports;
};

inline SpoolerState ReadSpooler(const std::string &driverDirectory,
                                const char *environment = kEnvironment) {
    return {SetOf(robot::Printers()), SetOf(robot::DriverNames(environment)),
            SetOf(robot::FilesIn(driverDirectory)), SetOf(robot::FilesIn(driverDirectory + "\\3")),
            SetOf(robot::Ports())};
}

// Removes every printer, driver and driver file that was not there in `before`.
inline void RestoreSpooler(const SpoolerState &before, const std::string &driverDirectory,
                           const char *environment = kEnvironment) {
    for (const std::string &name : robot::Printers()) {
        if (before.printers.count(name))
            continue;
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA((LPSTR)name.c_str(), &printer, &defaults)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
    for (const std::string &name : robot::DriverNames(environment))
        if (!before.drivers.count(name))
            DeletePrinterDriverA(nullptr, (LPSTR)environment, (LPSTR)name.c_str());
    for (const std::string &name : robot::FilesIn(driverDirectory))
        if (!before.files.count(name))
            DeleteFileA((driverDirectory + "\\" + name).c_str());
    for (const std::string &name : robot::FilesIn(driverDirectory + "\\3"))
        if (!before.versionFiles.count(name))
            DeleteFileA((driverDirectory + "\\3\\" + name).c_str());
}

// What the wizard shows next, among those asked for.
enum class Shown { kNothing, kMessage, kSystemBox, kPortPage, kFinish };

struct Sight {
    Shown what = Shown::kNothing;
    HWND window = nullptr;
    std::string caption, text;
    std::vector<int> buttons; // a system message box's
};

inline Sight WaitForOneOf(const robot::Wizard &wizard, const std::vector<Shown> &wanted,
                          DWORD timeoutMs) {
    auto wants = [&](Shown what) {
        return std::find(wanted.begin(), wanted.end(), what) != wanted.end();
    };
    ULONGLONG end = robot::Now() + timeoutMs;
    for (;;) {
        Sight sight;
        HWND window;
        robot::MessageBoxInfo box;
        if (wants(Shown::kMessage) &&
            (window = robot::FindWindowOf(wizard, "", robot::kMessageText))) {
            sight = {Shown::kMessage, window, robot::TextOf(window),
                     robot::ControlText(window, robot::kMessageText)};
            return sight;
        }
        if (wants(Shown::kSystemBox) && robot::FindSystemMessageBox(wizard, &box)) {
            sight = {Shown::kSystemBox, box.window, box.caption, box.text, box.buttons};
            return sight;
        }
        if (wants(Shown::kPortPage) && (window = robot::FindWindowOf(wizard, "", robot::kPortList)))
            return {Shown::kPortPage, window, robot::TextOf(window), "", {}};
        if (wants(Shown::kFinish) && (window = robot::FindWindowOf(wizard, "", robot::kFinishText)))
            return {Shown::kFinish,
                    window,
                    robot::TextOf(window),
                    robot::ControlText(window, robot::kFinishText),
                    {}};
        if (robot::Now() >= end || !robot::IsRunning(wizard))
            return sight;
        robot::Pump(robot::kPollMs);
    }
}

// The first message, system message box or finish page the wizard shows.
inline Sight NextSight(const robot::Wizard &wizard, DWORD timeoutMs = 60000) {
    return WaitForOneOf(wizard, {Shown::kMessage, Shown::kSystemBox, Shown::kFinish}, timeoutMs);
}

inline std::string Describe(const Sight &sight) {
    switch (sight.what) {
    case Shown::kNothing:
        return "nothing";
    case Shown::kMessage:
        return "message \"" + sight.caption + "\": \"" + sight.text + "\"";
    case Shown::kSystemBox:
        return "system message box \"" + sight.caption + "\": \"" + sight.text + "\"";
    case Shown::kPortPage:
        return "the port page";
    case Shown::kFinish:
        return "finish page: \"" + sight.text + "\"";
    }
    return "?";
}

// The wizard's own message, answered with OK.
inline void ExpectMessage(const Sight &sight, const std::string &caption, const std::string &text) {
    ASSERT_EQ(sight.what, Shown::kMessage) << "saw " << Describe(sight);
    EXPECT_EQ(sight.caption, caption);
    EXPECT_EQ(sight.text, text);
    ASSERT_TRUE(robot::Press(sight.window, robot::kOk));
    ASSERT_TRUE(robot::WaitGone(sight.window));
}

// The system message box, with OK alone, answered with it.
inline void ExpectBox(const Sight &sight, const std::string &caption, const std::string &text) {
    ASSERT_EQ(sight.what, Shown::kSystemBox) << "saw " << Describe(sight);
    EXPECT_EQ(sight.caption, caption);
    EXPECT_EQ(sight.text, text);
    EXPECT_EQ(sight.buttons, std::vector<int>{IDOK});
    ASSERT_TRUE(robot::Press(sight.window, IDOK));
    ASSERT_TRUE(robot::WaitGone(sight.window));
}

// What a case needs to know of the build it drives.
struct Build {
    const char *program;     // in the build tree; copied into the setup folder
    const char *environment; // the spooler environment it installs for
    const char *succeeded;   // its finish page's text after a success, and after a failure
    const char *failed;
    const char *testProgram = nullptr; // its test build where one runs here, copied beside it
    const Texts *texts = &kEnglish;
};
const Build kX64Build = {"drvsetup_x64.exe",   kEnvironment, kSucceeded, kFailed,
                         "drvsetup_x64_t.exe", &kEnglish};
// The Korean test build on 64-bit Wine, where no printer can be made on its driver, and
// the shipped Korean program on the 32-bit platform.
const Build kKo64Build = {"drvsetup_ko64_t.exe", "Windows NT x86", kKorean.succeeded,
                          kKorean.failed,        nullptr,          &kKorean};
const Build kX86Build = {"drvsetup_x86.exe", "Windows NT x86", kKorean.succeeded,
                         kKorean.failed,     nullptr,          &kKorean};
#ifdef _WIN64
const Build &kOwnBuild = kX64Build; // the build a test program of this tree drives
#else
const Build &kOwnBuild = kX86Build;
#endif

inline bool IsTestBuild(const std::string &program) {
    return program.size() > 6 && program.compare(program.size() - 6, 6, "_t.exe") == 0;
}

// `environment` for a test build with the pauses shortened, in its DRVSETUP_FAULTS.
inline std::vector<std::string> WithQuickPauses(std::vector<std::string> environment) {
    for (std::string &entry : environment)
        if (entry.compare(0, 16, "DRVSETUP_FAULTS=") == 0) {
            entry += std::string(";") + kQuickPauses;
            return environment;
        }
    environment.push_back(std::string("DRVSETUP_FAULTS=") + kQuickPauses);
    return environment;
}

// The printer of `model` on `port` and its driver as the spooler reports them after a
// whole installation: registered at level 6 for `environment`, its files in the
// environment's version directory "3", the dependent files the model's copy list.
inline void ExpectRegistered(const std::string &model, const char *environment,
                             const std::string &port, const std::vector<std::string> &files,
                             const std::string &dataType = "RAW") {
    robot::PrinterState printer = robot::GetPrinterState(model);
    ASSERT_TRUE(printer.exists) << "no printer " << model;
    EXPECT_EQ(printer.port, port);
    EXPECT_EQ(printer.driver, model);
    EXPECT_EQ(printer.processor, "WinPrint");
    EXPECT_EQ(printer.datatype, dataType);
    EXPECT_EQ(printer.attributes, (DWORD)PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST);
    std::vector<std::string> printers = robot::Printers();
    EXPECT_EQ(std::count(printers.begin(), printers.end(), model), 1);

    robot::DriverState driver = robot::GetDriverState(model, environment);
    ASSERT_TRUE(driver.exists) << "no driver " << model << " for " << environment;
    EXPECT_EQ(driver.version, 3u);
    EXPECT_EQ(driver.environment, environment);
    std::string version = robot::DriverDirectory(environment) + "\\3\\";
    EXPECT_EQ(driver.driverPath, version + "UNIDRV.DLL");
    EXPECT_EQ(driver.dataFile, version + "J71.GPD");
    EXPECT_EQ(driver.configFile, version + "UNIDRVUI.DLL");
    EXPECT_EQ(driver.helpFile, version + "UNIDRV.HLP");
    EXPECT_EQ(driver.defaultDataType, dataType);
    std::vector<std::string> dependents;
    for (const std::string &file : driver.dependentFiles)
        dependents.push_back(BaseName(file));
    EXPECT_EQ(dependents, files);
}

// One case of one build: a setup folder of its own under C:\e2e, the spooler, the driver
// directory and the default printer found at the start, and the spooler put back at the
// end, for the next case.
class InstallCase : public ::testing::Test {
  protected:
    explicit InstallCase(const Build &build = kX64Build) : build(build) {}

    const Build build;
    robot::Wizard wizard;
    std::string folder, driverDirectory, versionDirectory, deviceBefore;
    std::string logPath; // where unattended runs log; empty: setup.log in the setup folder
    SpoolerState spoolerBefore;
    // Whether a test build's pauses are shortened (the cases about them set it false).
    bool quick = true;

    void SetUp() override {
        ASSERT_FALSE(robot::SourcePath().empty()) << "DRVSETUP_SOURCE is not set";
        ASSERT_FALSE(robot::BinPath().empty()) << "DRVSETUP_BIN is not set";
        folder = std::string("C:\\e2e\\") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(folder.begin(), folder.end(), '/', '_');
        driverDirectory = robot::DriverDirectory(build.environment);
        versionDirectory = driverDirectory + "\\3";
        ASSERT_FALSE(driverDirectory.empty());
        spoolerBefore = ReadSpooler(driverDirectory, build.environment);
        deviceBefore = robot::ProfileDevice();
    }

    void TearDown() override {
        EXPECT_FALSE(robot::IsRunning(wizard)) << "the wizard was still running";
        robot::StopWizard(&wizard);
        RestoreSpooler(spoolerBefore, driverDirectory, build.environment);
    }

    // The setup folder: the files of `source` (the demo's unless given) and `program`, or
    // else the build's program and its test build.
    void MakeFolder(const char *program = nullptr, const std::string &source = "demo") {
        ASSERT_TRUE(robot::MakeSetupFolder(folder, robot::SourcePath(source),
                                           robot::BinPath(program ? program : build.program)));
        if (!program && build.testProgram)
            ASSERT_TRUE(robot::CopyOneFile(robot::BinPath(build.testProgram),
                                           folder + "\\" + build.testProgram));
    }

    // Starts `program`, or else the build's test build where there is one, or else its
    // program; a test build with its pauses shortened unless `quick` is false.
    void Start(const char *program = nullptr, const std::vector<std::string> &environment = {},
               const std::string &arguments = "") {
        std::string name = program             ? program
                           : build.testProgram ? build.testProgram
                                               : build.program;
        ASSERT_TRUE(robot::StartWizard(
            &wizard, folder, name,
            quick && IsTestBuild(name) ? WithQuickPauses(environment) : environment, arguments));
    }

    // The whole road (road.h) with the build's own program, its shipped pauses and texts, a
    // picture of each stop in the build tree's screenshots (`shots`-NN-stop, none when
    // empty), and on the way what every road holds to: the demo's models listed, the
    // spooler's ports with COM1: chosen (the prefix has no infrared port), the copy into the
    // spooler's own driver directory, and the default printer left alone until OK. `more`
    // sees each stop first.
    void DriveWholeRoad(bool installed, const std::string &shots, const RoadHook &more = nullptr) {
        if (build.texts == &kKorean)
            ASSERT_EQ(GetACP(), 949u) << "the Korean program runs under code page 949";
        quick = false;
        ASSERT_NO_FATAL_FAILURE(MakeFolder(build.program));
        ASSERT_NO_FATAL_FAILURE(Start(build.program));
        const std::vector<std::string> ports = robot::Ports();
        const int com1 = (int)(std::find(ports.begin(), ports.end(), "COM1:") - ports.begin());
        RoadHook pictures = Screenshots(shots);
        // The texts first: the copy page lingers only a second, which a picture or the
        // DPI checks can take on a loaded machine.
        auto hook = [&](Stop stop, HWND window) {
            if (stop == Stop::kModel)
                EXPECT_EQ(robot::ListItems(window, robot::kModelList), DemoModels());
            if (stop == Stop::kPort) {
                EXPECT_EQ(robot::ListItems(window, robot::kPortList), ports);
                EXPECT_EQ(robot::ListSelection(window, robot::kPortList), com1);
            }
            if (stop == Stop::kCopy)
                EXPECT_EQ(robot::ControlText(window, robot::kCopyDirectory),
                          robot::DriverDirectory() + "\\");
            if (stop == Stop::kFinish)
                EXPECT_EQ(robot::ProfileDevice(), deviceBefore) << "changed before OK";
            if (more)
                more(stop, window);
            if (!shots.empty())
                pictures(stop, window);
        };
        ASSERT_NO_FATAL_FAILURE(DriveRoad(wizard, *build.texts, installed, hook, kSlow));
    }

    // The unattended run of `program` with `arguments` and a fresh log (logPath), to its
    // end; its exit code. No window of any kind may appear: a box would wait for a person
    // nobody is, and hang a deployment.
    DWORD RunUnattended(const char *program, const std::string &arguments,
                        const std::vector<std::string> &environment = {}) {
        robot::StopWizard(&wizard);
        DeleteFileA(LogPath().c_str());
        EXPECT_TRUE(robot::StartWizard(&wizard, folder, program, environment,
                                       arguments + " /log " + LogPath()));
        DWORD code = robot::WaitForExit(&wizard, 8 * kSlow);
        EXPECT_TRUE(robot::CreatedWindowClasses(wizard).empty())
            << "an unattended run made a window";
        robot::StopWizard(&wizard);
        return code;
    }

    std::string LogPath() const {
        return logPath.empty() ? folder + "\\setup.log" : logPath;
    }

    std::string Log() {
        std::string text;
        EXPECT_TRUE(robot::ReadWholeFile(LogPath(), &text)) << "no log " << LogPath();
        return text;
    }

    void ExpectLogged(const std::string &part) {
        std::string log = Log();
        EXPECT_NE(log.find(part), std::string::npos) << "not logged: " << part << "\n" << log;
    }

    // Welcome page, the model `model` (the first unless given), the port page with its
    // first choice, Next.
    void WalkToCopy(int model = 0) {
        HWND welcome = robot::WaitForPage(wizard, robot::kWelcomeText, kSlow);
        ASSERT_TRUE(welcome) << "no welcome page";
        robot::Press(welcome, robot::kNext);
        HWND page = robot::WaitForPage(wizard, robot::kModelList, kSlow);
        ASSERT_TRUE(page) << "no model page";
        ASSERT_TRUE(robot::ListSelect(page, robot::kModelList, model));
        robot::Press(page, robot::kNext);
        ASSERT_TRUE(robot::WaitGone(page, kSlow)) << "the model page stayed open";
        HWND port = robot::WaitForPage(wizard, robot::kPortList, kSlow);
        ASSERT_TRUE(port) << "no port page";
        robot::Press(port, robot::kNext);
    }

    // The finish page with `text`, closed, and the wizard gone.
    void ExpectFinish(const Sight &sight, const char *text) {
        ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
        EXPECT_EQ(sight.text, text);
        EXPECT_EQ(robot::IsControlVisible(sight.window, robot::kFinishCheck),
                  std::string(text) == build.succeeded)
            << "the default printer is offered only after a success";
        ASSERT_TRUE(robot::Press(sight.window, robot::kOk));
        EXPECT_EQ(robot::WaitForExit(&wizard, 15000), 0u);
    }

    // The driver files now in the driver directory and in its "3", beyond those that
    // were there before the case.
    void ExpectDriverFiles(const std::vector<std::string> &names) {
        std::set<std::string> expected = spoolerBefore.files;
        expected.insert(names.begin(), names.end());
        EXPECT_EQ(SetOf(robot::FilesIn(driverDirectory)), expected) << "in the driver directory";
        expected = spoolerBefore.versionFiles;
        expected.insert(names.begin(), names.end());
        EXPECT_EQ(SetOf(robot::FilesIn(versionDirectory)), expected) << "in its \"3\"";
    }

    // Nothing of the machine changed since `state`: no printer, port, driver, driver file or
    // default printer.
    void ExpectNothingChanged(const SpoolerState &state) {
        EXPECT_EQ(SetOf(robot::Printers()), state.printers);
        EXPECT_EQ(SetOf(robot::Ports()), state.ports);
        EXPECT_EQ(SetOf(robot::DriverNames(build.environment)), state.drivers);
        EXPECT_EQ(SetOf(robot::FilesIn(driverDirectory)), state.files);
        EXPECT_EQ(SetOf(robot::FilesIn(versionDirectory)), state.versionFiles);
        EXPECT_EQ(robot::ProfileDevice(), deviceBefore);
    }
    void ExpectNothingChanged() {
        ExpectNothingChanged(spoolerBefore);
    }

    void ExpectNoPrinterOrDriverOfTheModel() {
        EXPECT_FALSE(robot::GetPrinterState(kLaser).exists) << "a printer was announced";
        EXPECT_EQ(SetOf(robot::Printers()), spoolerBefore.printers);
        EXPECT_EQ(SetOf(robot::DriverNames(build.environment)), spoolerBefore.drivers);
    }
};

} // namespace e2e
