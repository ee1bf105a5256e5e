// The release engineer's check of a setup folder (/quiet /check): the program's own
// reader goes through every model the model page lists and finds each file of its copy
// list in the folder, plain or compressed whole. Exit code 0 or 1603, one log line per
// problem, and nothing on the machine changed. Built for i686 it runs the shipped Korean
// program on the 32-bit platform.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

using namespace robot;
using namespace e2e;

namespace {

class Check : public InstallCase {
  protected:
    Check() : InstallCase(kOwnBuild) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallCase::SetUp());
        ASSERT_NO_FATAL_FAILURE(MakeFolder(build.program));
    }

    // Runs the check to its end: its exit code, with the log in `text`. A check changes
    // nothing, whatever it finds.
    DWORD RunCheck(std::string *text, const std::string &more = "") {
        DWORD code = RunUnattended(build.program, "/quiet /check" + more);
        EXPECT_TRUE(ReadWholeFile(LogPath(), text));
        ExpectNothingChanged();
        return code;
    }

    std::string Fixture(const char *name) {
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(SourcePath(std::string("tests\\win\\data\\") + name), &bytes));
        return bytes;
    }
};

bool Has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// Plain files, a compressed one and one kept under its compressed name all pass.
TEST_F(Check, ACompleteFolderPasses) {
    ASSERT_TRUE(WriteTextFile(folder + "\\J71.GPD", Fixture("packed.sz")));
    std::string help;
    ASSERT_TRUE(ReadWholeFile(folder + "\\UNIDRV.HLP", &help));
    ASSERT_TRUE(DeleteFileA((folder + "\\UNIDRV.HLP").c_str()));
    ASSERT_TRUE(WriteTextFile(folder + "\\UNIDRV.HL_", Fixture("packed.sz")));
    std::string text;
    EXPECT_EQ(RunCheck(&text), 0u) << text;
    EXPECT_TRUE(Has(text, "J71.INF: 3 models, 18 files, 0 problems")) << text;
    EXPECT_TRUE(Has(text, "every model would install its files; nothing was changed; exit code 0"))
        << text;
}

// Each problem is one line naming the model, the file and what is wrong; every model is
// still checked after the first problem.
TEST_F(Check, AMissingOrDamagedFileFailsWithOneLineEach) {
    ASSERT_TRUE(DeleteFileA((folder + "\\J71LASER.INI").c_str()));
    ASSERT_TRUE(WriteTextFile(folder + "\\J71.GPD", Fixture("truncated.sz")));
    std::string text;
    EXPECT_EQ(RunCheck(&text), 1603u) << text;
    EXPECT_TRUE(
        Has(text, "model \"Zelmox J71 Laser\", file J71LASER.INI: missing from the setup folder"))
        << text;
    for (const char *model : {"Zelmox J71 Laser", "Zelmox J71 Color", "Zelmox J71 Network"})
        EXPECT_TRUE(Has(text, std::string("model \"") + model +
                                  "\", file J71.GPD: compressed, but damaged"))
            << model << "\n"
            << text;
    EXPECT_TRUE(Has(text, "J71.INF: 3 models, 18 files, 4 problems")) << text;
    EXPECT_TRUE(Has(text, "exit code 1603")) << text;
}

// A copy list longer than the reader's buffer, and a model without an install section.
TEST_F(Check, ModelsTheWizardWouldRefuseFail) {
    std::string longList = "CopyFiles=UNIDRV.DLL";
    while (longList.size() < 1100)
        longList += ",UNIDRV.DLL";
    ASSERT_TRUE(WriteTextFile(folder + "\\J71.INF", "[ZelmoxSystems]\r\n"
                                                    "\"Long\"=LONG\r\n"
                                                    "\"Bare\"=\r\n"
                                                    "\"Good\"=GOOD\r\n"
                                                    "[LONG]\r\n" +
                                                        longList +
                                                        "\r\n[GOOD]\r\nCopyFiles=UNIDRV.DLL\r\n"));
    std::string text;
    EXPECT_EQ(RunCheck(&text), 1603u) << text;
    EXPECT_TRUE(Has(text, "model \"Long\": [LONG] CopyFiles: ")) << text;
    EXPECT_TRUE(Has(text, "more than can be read whole")) << text;
    EXPECT_TRUE(Has(text, "model \"Bare\": \"Bare\" in ")) << text;
    EXPECT_FALSE(Has(text, "model \"Good\"")) << text;
    EXPECT_TRUE(Has(text, "3 models, 1 files, 2 problems")) << text;
}

// Without a setup information file there is nothing to ship; with an install switch the
// line is wrong.
TEST_F(Check, NoModelsOrAWrongLine) {
    ASSERT_TRUE(DeleteFileA((folder + "\\J71.INF").c_str()));
    std::string text;
    EXPECT_EQ(RunCheck(&text), 1603u) << text;
    EXPECT_TRUE(Has(text, "J71.INF lists no model in [ZelmoxSystems]")) << text;
    EXPECT_EQ(RunCheck(&text, " /model \"Zelmox J71 Laser\""), 1639u) << text;
    EXPECT_TRUE(Has(text, "/check takes no /model, /port or /default")) << text;
}

} // namespace
