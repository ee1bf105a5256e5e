// Hostile setup information files: empty, garbled and re-encoded files, odd keys and model
// entries, copy lists at the reader's limits and names that point outside the driver
// directory. The robot reads each file's model page; a few rows, one per kind of outcome,
// go on through the whole wizard to the point that decides them and must end on a page,
// message or finish page a user understands; the others end there and are carried out by
// an unattended run of the shipped program (/quiet, or /quiet /check where nothing is
// listed), which decides with the same reader. None may write a file outside the driver
// directory. The files lie in tests/e2e/corpus/inf; CASES.md there says what each must give.
#include "install_fixture.h"
#include "robot/robot.h"
#include "windows_or_wine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace robot;
using namespace e2e;

namespace {

const char kSelectModel[] = "Select printer model to install.";
const char kFileOpenError[] = "File open error.";
// The rows driven through the whole wizard, one per kind of outcome.
const std::set<std::string> kWholeWizard = {"empty.inf",           "copyfiles-1024.inf",
                                            "line-ends-cr.inf",    "name-parent.inf",
                                            "model-name-1021.inf", "key-empty-quotes.inf"};

// How a case ends.
enum class Outcome {
    kNoModels,            // nothing listed; Next says "Select printer model to install."
    kModelRefused,        // the chosen model is listed, and Next refuses it with the same message
    kInstalled,           // success finish page; printer and driver of the name; the files copied
    kOpenError,           // the copy page says "File open error."; failure finish page; no printer
    kRefusedByTheSpooler, // the files copied, "Add a printer error " twice, failure page
    kNoPrinter,           // the files copied, the spooler silently makes no printer: failure page
};

struct Case {
    std::string file;                // in tests/e2e/corpus/inf
    std::vector<std::string> models; // what the model page lists
    int choose;                      // the entry chosen
    Outcome outcome;
    std::vector<std::string> files; // kInstalled: the copy list; kOpenError: copied before
    std::string dataType = "RAW";   // kInstalled: the printer's data type
    int error = 0;                  // kRefusedByTheSpooler: the code the box shows
    // Where Windows answers otherwise than Wine (the case above): what its model page lists,
    // and whether its spooler refuses the printer's name (the failure page, no printer).
    std::vector<std::string> windowsModels = {};
    bool windowsRefusesPrinter = false;
};

void PrintTo(const Case &c, std::ostream *out) {
    *out << c.file;
}

// A model name of `length` characters, as make-corpus.py writes it.
std::string ModelName(size_t length) {
    std::string name = "Zelmox J71 Laser " + std::to_string(length) + " ";
    name.resize(length, 'L');
    return name;
}

std::vector<std::string> NumberedModels(int count) {
    std::vector<std::string> names;
    char name[64];
    for (int i = 1; i <= count; i++) {
        snprintf(name, sizeof name, "Zelmox J71 Model %04d", i);
        names.push_back(name);
    }
    return names;
}

std::vector<Case> Cases() {
    const std::vector<std::string> both = {kLaser, kColor};
    return {
        {"empty.inf", {}, -1, Outcome::kNoModels, {}},
        {"no-vendor-section.inf", {}, -1, Outcome::kNoModels, {}},
        {"empty-vendor-section.inf", {}, -1, Outcome::kNoModels, {}},
        {"binary-garbage.inf", {}, -1, Outcome::kNoModels, {}},
        {"utf8-bom.inf", both, 0, Outcome::kInstalled, kLaserFiles},
        {"utf16le-bom.inf", both, 0, Outcome::kInstalled, kLaserFiles},
        {"line-ends-lf.inf", both, 0, Outcome::kInstalled, kLaserFiles},
        {"line-ends-crlf.inf", both, 0, Outcome::kInstalled, kLaserFiles},
        {"line-ends-cr.inf", both, 1, Outcome::kInstalled, kColorFiles, "NT EMF 1.008"},
        {"comments.inf", both, 1, Outcome::kInstalled, kColorFiles, "NT EMF 1.008"},
        // Windows lists a key written twice twice, both reading the first entry.
        {"duplicate-key-same-case.inf",
         {kLaser},
         0,
         Outcome::kInstalled,
         kLaserFiles,
         "RAW",
         0,
         {kLaser, kLaser}},
        {"duplicate-key-other-case.inf", {kLaser}, 0, Outcome::kInstalled, kLaserFiles},
        {"duplicate-vendor-section.inf", {kLaser}, 0, Outcome::kInstalled, kLaserFiles},
        {"key-blanks.inf", {"  Zelmox J71   Laser  "}, 0, Outcome::kInstalled, kLaserFiles},
        // Windows refuses a printer name with a comma; Wine makes the printer.
        {"key-comma.inf",
         {"Zelmox J71, Laser"},
         0,
         Outcome::kInstalled,
         kLaserFiles,
         "RAW",
         0,
         {},
         true},
        // A model without an install section of its own has nothing to install: refused
        // like no selection, rather than announced as installed with none of its files.
        {"key-equals.inf", {"Zelmox J7"}, 0, Outcome::kModelRefused, {}},
        {"key-token.inf", {"ModelLaser", "ModelColor"}, 0, Outcome::kModelRefused, {}},
        {"entry-only-commas.inf", {kLaser}, 0, Outcome::kModelRefused, {}},
        {"entry-missing-section.inf", {kLaser}, 0, Outcome::kModelRefused, {}},
        // The spooler makes no printer of an empty name.
        {"key-empty-quotes.inf", {""}, 0, Outcome::kNoPrinter, kLaserFiles},
        {"section-case.inf", {kLaser}, 0, Outcome::kInstalled, kLaserFiles, "NT EMF 1.008"},
        {"entry-leading-commas.inf", {kLaser}, 0, Outcome::kInstalled, kLaserFiles},
        {"models-5000.inf", NumberedModels(43), 42, Outcome::kInstalled, kLaserFiles},
        {"model-name-1021.inf",
         {ModelName(1021)},
         0,
         Outcome::kRefusedByTheSpooler,
         kLaserFiles,
         "RAW",
         ERROR_INVALID_PARAMETER},
        {"model-name-1022.inf", {ModelName(1022)}, 0, Outcome::kModelRefused, {}},
        {"model-name-3000.inf", {ModelName(3000).substr(0, 1023)}, 0, Outcome::kModelRefused, {}},
        {"copyfiles-twice.inf", both, 0, Outcome::kInstalled, kLaserFiles},
        {"copyfiles-1023.inf", both, 0, Outcome::kInstalled, PartNames()},
        // A value longer than the reader's 1023 characters would lose its last names.
        {"copyfiles-1024.inf", both, 0, Outcome::kModelRefused, {}},
        {"copyfiles-past-1023-at-comma.inf", both, 0, Outcome::kModelRefused, {}},
        {"copyfiles-3000.inf", both, 0, Outcome::kModelRefused, {}},
        // Opened by its full path, not through the LZ library's 128-character record.
        {"copyfiles-long-name.inf", both, 0, Outcome::kInstalled, {"UNIDRV.DLL", LongCorpusName()}},
        {"copyfiles-blank-after-comma.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"copyfiles-quoted.inf", both, 0, Outcome::kInstalled, kLaserFiles, "NT EMF 1.008"},
        {"copyfiles-missing-file.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"copyfiles-at-sign-alone.inf",
         both,
         0,
         Outcome::kInstalled,
         {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "J71.GPD"}},
        {"copyfiles-double-at.inf", both, 0, Outcome::kInstalled, {"UNIDRV.DLL", "@J71.GPD"}},
        {"copyfiles-empty-data-type.inf", both, 0, Outcome::kInstalled, kLaserFiles, ""},
        {"name-parent.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"name-slash.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"name-backslash.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"name-drive.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"name-root.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
        {"name-dotdot.inf", both, 0, Outcome::kOpenError, {"UNIDRV.DLL"}},
    };
}

// What a directory holds, each entry with its size and last-write time, to tell whether
// anything was written into it.
std::map<std::string, std::string> Snapshot(const std::string &directory) {
    std::map<std::string, std::string> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        entries[name] = folder ? "dir"
                               : std::to_string(found.nFileSizeLow) + "@" +
                                     std::to_string(found.ftLastWriteTime.dwLowDateTime);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

class Corpus : public InstallCase, public ::testing::WithParamInterface<Case> {
  protected:
    std::string parent = "C:\\corpus";
    std::map<std::string, std::map<std::string, std::string>> outsideBefore;

    // Every place a name that escapes the driver directory could reach.
    std::vector<std::string> Outside() const {
        std::string spool = driverDirectory.substr(0, driverDirectory.find_last_of('\\'));
        return {"C:",
                parent,
                folder,
                folder + "\\SUB",
                spool,
                spool.substr(0, spool.find_last_of('\\')),
                "C:\\windows\\system32"};
    }

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        std::string file = GetParam().file;
        folder = parent + "\\" + file.substr(0, file.size() - 4);
        // The unattended runs' logs, where no name of the corpus can reach them.
        CreateDirectoryA((parent + "\\logs").c_str(), nullptr);
        logPath = parent + "\\logs\\" + file + ".log";
        ASSERT_NO_FATAL_FAILURE(MakeFolder(nullptr, "tests\\e2e\\corpus\\files"));
        ASSERT_TRUE(
            CopyOneFile(SourcePath("tests\\e2e\\corpus\\inf\\" + file), folder + "\\J71.INF"));
        // Bait: files a name escaping the setup folder or the driver directory would read.
        CreateDirectoryA((folder + "\\SUB").c_str(), nullptr);
        for (const std::string &where : {std::string("C:"), parent, folder, folder + "\\SUB"})
            ASSERT_TRUE(WriteTextFile(where + "\\EVIL.DLL", "must stay where it is"));
        for (const std::string &directory : Outside())
            outsideBefore[directory] = Snapshot(directory);
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    void TearDown() override {
        EXPECT_FALSE(IsRunning(wizard)) << "the wizard was still running";
        StopWizard(&wizard);
        for (const std::string &directory : Outside())
            EXPECT_EQ(Snapshot(directory), outsideBefore[directory])
                << "something was written into " << directory;
        InstallCase::TearDown();
    }

    // The files the case left in the driver directory and in its "3", whole copies.
    void ExpectDriverFiles(const std::vector<std::string> &names) {
        InstallCase::ExpectDriverFiles(names);
        for (const std::string &name : names) {
            std::string copy, source;
            EXPECT_TRUE(ReadWholeFile(folder + "\\" + name, &source));
            EXPECT_TRUE(ReadWholeFile(driverDirectory + "\\3\\" + name, &copy));
            EXPECT_EQ(copy, source) << name;
        }
    }

    void ExpectNoNewPrinter() {
        EXPECT_EQ(SetOf(Printers()), spoolerBefore.printers) << "a printer was left behind";
    }

    // Ends the finish page that `sight` shows, which must give `text`, and the wizard.
    void Finish(const Sight &sight, const char *text) {
        ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
        EXPECT_EQ(sight.text, text);
        if (IsControlVisible(sight.window, kFinishCheck))
            SetCheck(sight.window, kFinishCheck, false); // the default printer stays
        ASSERT_TRUE(Press(sight.window, kOk));
        EXPECT_EQ(WaitForExit(&wizard, 15000), 0u);
    }

    // Cancel on a page, Yes to the question, and the failure finish page.
    void CancelToFailure(HWND page) {
        ASSERT_TRUE(Press(page, kCancel));
        HWND question = WaitForMessageDialog(wizard);
        ASSERT_TRUE(question) << "no cancel question";
        ASSERT_TRUE(Press(question, kYes));
        Finish(WaitForOneOf(wizard, {Shown::kFinish}, 15000), kFailed);
    }

    void ExpectRefusedOnNext(HWND model) {
        Press(model, kNext);
        Sight sight = WaitForOneOf(wizard, {Shown::kMessage, Shown::kPortPage}, 15000);
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(sight, "Warinig", kSelectModel));
        EXPECT_TRUE(IsWindowVisible(model)) << "the model page must stay open";
        ASSERT_NO_FATAL_FAILURE(CancelToFailure(model));
        ExpectNoNewPrinter();
        ExpectDriverFiles({});
    }

    void ExpectInstalled(HWND port, const Case &c) {
        const std::string name = c.models[c.choose];
        Press(port, kNext);
        Sight sight = NextSight(wizard);
        if (c.windowsRefusesPrinter) {
            ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
            EXPECT_TRUE(WindowsOrWine(sight.text, std::string(kFailed), std::string(kSucceeded)));
            if (sight.text == kFailed) {
                // Windows: the files copied, no printer of the name.
                ASSERT_NO_FATAL_FAILURE(Finish(sight, kFailed));
                ExpectNoNewPrinter();
                ExpectDriverFiles(c.files);
                return;
            }
        }
        ASSERT_NO_FATAL_FAILURE(Finish(sight, kSucceeded));
        ExpectInstalledAs(c);
    }

    // The printer and driver of the chosen model, with its files.
    void ExpectInstalledAs(const Case &c) {
        const std::string name = c.models[c.choose];
        PrinterState printer = GetPrinterState(name);
        ASSERT_TRUE(printer.exists) << "no printer \"" << name << "\"";
        EXPECT_EQ(printer.driver, name);
        EXPECT_EQ(printer.port, "COM1:");
        EXPECT_EQ(printer.datatype, c.dataType);
        DriverState driver = GetDriverState(name, kEnvironment);
        ASSERT_TRUE(driver.exists) << "no driver \"" << name << "\"";
        std::vector<std::string> dependents;
        for (const std::string &file : driver.dependentFiles)
            dependents.push_back(BaseName(file));
        EXPECT_EQ(dependents, c.files);
        ExpectDriverFiles(c.files);
    }

    // The files are copied, and the writing step ends on the failure page: no printer.
    void ExpectNotInstalled(HWND port, const Case &c) {
        const std::string name = c.models[c.choose];
        Press(port, kNext);
        if (c.outcome == Outcome::kRefusedByTheSpooler) {
            // Once for each of the two registrations.
            for (int round = 0; round < 2; round++) {
                ASSERT_NO_FATAL_FAILURE(
                    ExpectBox(NextSight(wizard), "Add a printer error ",
                              "Cannot add a printer driver!\r\n(System Error Code : " +
                                  std::to_string(c.error) + ")"));
            }
        }
        Sight sight = NextSight(wizard);
        ASSERT_NO_FATAL_FAILURE(Finish(sight, kFailed));
        ExpectNoNewPrinter();
        EXPECT_FALSE(GetPrinterState(name).exists);
        EXPECT_EQ(SetOf(DriverNames(kEnvironment)), spoolerBefore.drivers);
        ExpectDriverFiles(c.files);
    }

    void ExpectOpenError(HWND port, const Case &c) {
        Press(port, kNext);
        Sight sight = NextSight(wizard);
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(sight, "Error", kFileOpenError));
        ASSERT_NO_FATAL_FAILURE(Finish(WaitForOneOf(wizard, {Shown::kFinish}, 15000), kFailed));
        ExpectNoNewPrinter();
        EXPECT_EQ(SetOf(DriverNames(kEnvironment)), spoolerBefore.drivers);
        ExpectDriverFiles(c.files);
    }

    // The row carried out unattended: its exit code and log, and what it leaves.
    void ExpectUnattended(const Case &c) {
        if (c.outcome == Outcome::kNoModels) {
            EXPECT_EQ(RunUnattended(build.program, "/quiet /check"), 1603u);
            ExpectLogged("J71.INF lists no model in [ZelmoxSystems]");
            ExpectNoNewPrinter();
            ExpectDriverFiles({});
            return;
        }
        DWORD code = RunUnattended(build.program, "/quiet /model \"" + c.models[c.choose] + "\"");
        if (c.outcome == Outcome::kInstalled && c.windowsRefusesPrinter) {
            EXPECT_TRUE(WindowsOrWine(code, (DWORD)1603, (DWORD)0));
            if (code == 1603) {
                ExpectNoNewPrinter(); // Windows: the files copied, no printer of the name
                ExpectDriverFiles(c.files);
                return;
            }
        }
        if (c.outcome == Outcome::kInstalled) {
            EXPECT_EQ(code, 0u) << Log();
            ExpectInstalledAs(c);
            return;
        }
        EXPECT_EQ(code, 1603u) << Log();
        ExpectLogged(c.outcome == Outcome::kModelRefused
                         ? "the model has nothing that can be installed"
                     : c.outcome == Outcome::kOpenError ? "a driver file cannot be copied"
                                                        : "exit code 1603");
        ExpectNoNewPrinter();
        EXPECT_EQ(SetOf(DriverNames(kEnvironment)), spoolerBefore.drivers);
        ExpectDriverFiles(c.outcome == Outcome::kModelRefused ? std::vector<std::string>{}
                                                              : c.files);
    }
};

TEST_P(Corpus, EndsOnAPageAUserUnderstands) {
    const Case &c = GetParam();
    HWND welcome = WaitForPage(wizard, kWelcomeText);
    ASSERT_TRUE(welcome) << "no welcome page";
    Press(welcome, kNext);
    HWND model = WaitForPage(wizard, kModelList);
    ASSERT_TRUE(model) << "no model page";
    if (c.windowsModels.empty())
        EXPECT_EQ(ListItems(model, kModelList), c.models);
    else
        EXPECT_TRUE(WindowsOrWine(ListItems(model, kModelList), c.windowsModels, c.models));
    if (!kWholeWizard.count(c.file)) {
        ASSERT_NO_FATAL_FAILURE(CancelToTheEnd(wizard, model));
        ASSERT_NO_FATAL_FAILURE(ExpectUnattended(c));
        return;
    }

    if (c.outcome == Outcome::kNoModels) {
        EXPECT_EQ(ListSelection(model, kModelList), LB_ERR);
        ASSERT_NO_FATAL_FAILURE(ExpectRefusedOnNext(model));
        return;
    }
    ASSERT_TRUE(ListSelect(model, kModelList, c.choose));
    if (c.outcome == Outcome::kModelRefused) {
        ASSERT_NO_FATAL_FAILURE(ExpectRefusedOnNext(model));
        return;
    }
    Press(model, kNext);
    Sight sight = WaitForOneOf(wizard, {Shown::kMessage, Shown::kPortPage}, 15000);
    ASSERT_EQ(sight.what, Shown::kPortPage) << "saw " << Describe(sight);
    std::vector<std::string> ports = Ports();
    EXPECT_EQ(ListSelection(sight.window, kPortList),
              (int)(std::find(ports.begin(), ports.end(), "COM1:") - ports.begin()));
    if (c.outcome == Outcome::kInstalled)
        ExpectInstalled(sight.window, c);
    else if (c.outcome == Outcome::kOpenError)
        ExpectOpenError(sight.window, c);
    else
        ExpectNotInstalled(sight.window, c);
}

INSTANTIATE_TEST_SUITE_P(Files, Corpus, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             std::string name =
                                 info.param.file.substr(0, info.param.file.size() - 4);
                             for (char &c : name)
                                 if (!isalnum((unsigned char)c))
                                     c = '_';
                             return name;
                         });

// Every file of the corpus has its case here and its row in CASES.md, no row or case names
// a file that is not there, and every kind of outcome has a row driven through the wizard.
TEST(CorpusTable, EveryFileHasItsCaseAndItsRow) {
    std::set<std::string> files = SetOf(FilesIn(SourcePath("tests\\e2e\\corpus\\inf")));
    ASSERT_GE(files.size(), 30u);
    std::set<std::string> cases;
    for (const Case &c : Cases())
        cases.insert(c.file);
    EXPECT_EQ(cases, files);
    std::set<Outcome> kinds, driven;
    for (const Case &c : Cases()) {
        kinds.insert(c.outcome);
        if (kWholeWizard.count(c.file))
            driven.insert(c.outcome);
    }
    EXPECT_EQ(driven, kinds);

    std::string table;
    ASSERT_TRUE(ReadWholeFile(SourcePath("tests\\e2e\\corpus\\CASES.md"), &table));
    std::set<std::string> rows;
    for (size_t at = table.find("\n| `"); at != std::string::npos;
         at = table.find("\n| `", at + 1)) {
        size_t start = at + 4;
        rows.insert(table.substr(start, table.find('`', start) - start));
    }
    EXPECT_EQ(rows, files);
}

} // namespace
