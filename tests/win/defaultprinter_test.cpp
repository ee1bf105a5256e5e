// Making a printer the default printer on Wine's real spooler and profile.
#include <gtest/gtest.h>

#include <stdio.h>

#include "install/install.h"
#include "win/spooler_fixture.h"

namespace {

// The default printer as another process sees it: this test program started again,
// which prints GetDefaultPrinterA and exits before any test runs.
std::string DefaultPrinterSeenByAnotherProcess() {
    char exe[MAX_PATH], output[MAX_PATH], command[2 * MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    GetTempPathA(sizeof output, output);
    lstrcatA(output, "default-printer.txt");
    DeleteFileA(output);
    snprintf(command, sizeof command, "\"%s\"", exe);
    SetEnvironmentVariableA("PRINT_DEFAULT_PRINTER_TO", output);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(exe, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return "(not started)";
    SetEnvironmentVariableA("PRINT_DEFAULT_PRINTER_TO", NULL);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    char text[1024] = "";
    if (FILE *file = fopen(output, "r")) {
        if (!fgets(text, sizeof text, file))
            text[0] = 0;
        fclose(file);
    }
    return text;
}

// The child's side of DefaultPrinterSeenByAnotherProcess.
struct PrintDefaultPrinter {
    PrintDefaultPrinter() {
        char path[MAX_PATH];
        if (!GetEnvironmentVariableA("PRINT_DEFAULT_PRINTER_TO", path, sizeof path))
            return;
        char name[1024] = "";
        DWORD size = sizeof name;
        if (!GetDefaultPrinterA(name, &size))
            lstrcpyA(name, "(none)");
        if (FILE *file = fopen(path, "w")) {
            fputs(name, file);
            fclose(file);
        }
        ExitProcess(0);
    }
} g_printDefaultPrinter;

TEST(MakeDefaultPrinter, WritesNameDriverAndPortOfTheSpoolersRecord) {
    ASSERT_TRUE(spool::AddTestPrinter("Office Laser", "Office Laser Driver", "LPT1:"));
    ASSERT_TRUE(spool::AddTestPrinter("Other Printer", "Other Driver", "COM2:"));
    ASSERT_EQ(1, MakeDefaultPrinter("Other Printer"));
    EXPECT_EQ("Other Printer,Other Driver,COM2:", spool::ProfileDevice());

    EXPECT_EQ(1, MakeDefaultPrinter("Office Laser"));
    EXPECT_EQ("Office Laser,Office Laser Driver,LPT1:", spool::ProfileDevice());
    EXPECT_EQ("Office Laser", DefaultPrinterSeenByAnotherProcess());
}

TEST(MakeDefaultPrinter, UnknownOrMissingNameChangesNothing) {
    ASSERT_TRUE(spool::AddTestPrinter("Kept Default", "Kept Driver", "LPT2:"));
    ASSERT_EQ(1, MakeDefaultPrinter("Kept Default"));
    std::string before = spool::ProfileDevice();

    EXPECT_EQ(0, MakeDefaultPrinter("No Such Printer"));
    EXPECT_EQ(0, MakeDefaultPrinter(NULL));
    EXPECT_EQ(before, spool::ProfileDevice());
    EXPECT_EQ("Kept Default", DefaultPrinterSeenByAnotherProcess());
}

TEST(MakeDefaultPrinter, LeavesThePrintersAttributesAlone) {
    ASSERT_TRUE(spool::AddTestPrinter("Attribute Printer", "Attribute Driver", "LPT3:"));
    auto attributes = [] {
        HANDLE printer;
        OpenPrinterA((LPSTR) "Attribute Printer", &printer, NULL);
        BYTE buffer[8192];
        DWORD needed;
        DWORD result = 0;
        if (GetPrinterA(printer, 2, buffer, sizeof buffer, &needed))
            result = ((PRINTER_INFO_2A *)buffer)->Attributes;
        ClosePrinter(printer);
        return result;
    };
    DWORD before = attributes();
    ASSERT_EQ(1, MakeDefaultPrinter("Attribute Printer"));
    EXPECT_EQ(before, attributes());
}

} // namespace
