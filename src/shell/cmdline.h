// The program's command line: what an administrator may ask of an unattended run, and a
// help desk's preselection of the wizard's entries. Free of the platform, so that it is
// tested and fuzzed natively.
#pragma once

#include "install/tcpaddress.h"

#include <stddef.h>

// Room for one value, as for every text of the program.
enum { ARGUMENT_SIZE = 1024 };

// Exit codes of an unattended run, the ones deployment systems already understand.
enum {
    EXIT_INSTALLED = 0,
    EXIT_INSTALL_FAILED = 1603,
    EXIT_NOT_INSTALLED = 1605,
    EXIT_ANOTHER_RUN = 1618,
    EXIT_LOG_UNUSABLE = 1622,
    EXIT_UNSUPPORTED_SYSTEM = 1633,
    EXIT_BAD_COMMAND_LINE = 1639,
    EXIT_RESTART_NEEDED = 3010,
};

struct CommandLine {
    int quiet;                 // /quiet: no window at all, everything from the arguments
    int makeDefault;           // /default: the new printer becomes the default printer
    int help;                  // /?
    int uninstall;             // /uninstall: remove the model's printer, driver and files
    int check;                 // /check: only check the setup folder (with /quiet)
    char model[ARGUMENT_SIZE]; // /model NAME, empty when not given
    char port[ARGUMENT_SIZE];  // /port NAME
    char log[ARGUMENT_SIZE];   // /log FILE
    char ip[ARGUMENT_SIZE];    // /ip HOST[:NUMBER]: the printer on a Standard TCP/IP port
    char lpr[ARGUMENT_SIZE];   // /lpr QUEUE: that port speaks LPR to the queue
    TcpPortSettings network;   // /ip and /lpr as read; protocol 0 without /ip
    char error[ARGUMENT_SIZE]; // what is wrong with the line, empty when nothing is
};

// Splits `line` (the arguments after the program's name) as the platform's runtime does:
// blanks separate arguments, double quotes group them, 2n backslashes before a quote give
// n backslashes and 2n+1 give n and a literal quote, and "" inside quotes is one quote.
// Switches are introduced by '/' or '-' and compared without regard to letter case.
// Returns 1 when the whole line is understood; otherwise 0, with `error` saying what is
// wrong (the first fault) and every switch before and after it still read. /uninstall
// goes only with /quiet, and never with /default or /port; /ip only with /quiet and never
// with /port, /uninstall or /check; /lpr only with /ip.
int ParseCommandLine(const char *line, CommandLine *arguments);

// The arguments of a whole command line as the platform hands it over (GetCommandLineA):
// what follows the program's name. The name runs to the first blank or tab outside double
// quotes, as the runtime splits it; a byte above 127 is part of it like any other (no
// trail byte of a double-byte code page is a blank or a quote).
const char *SkipProgramName(const char *line);

// The usage text shown by /? (English in both builds), with CR LF line ends.
const char *UsageText();

// The arguments of this run, read once at start-up; all zero when none were given.
extern CommandLine g_arguments;
