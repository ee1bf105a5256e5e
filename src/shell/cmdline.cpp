// Reading the program's command line.
#include "shell/cmdline.h"

#include <stdio.h>
#include <string.h>

// One argument as split from the line: its text, and whether any of it was quoted (a
// quoted value is never taken for a switch).
struct Token {
    char text[ARGUMENT_SIZE];
    int quoted;
    int tooLong;
};

static int IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends one character, noting when the argument no longer fits.
static void Put(Token *token, size_t *length, char c) {
    if (*length + 1 < sizeof token->text)
        token->text[(*length)++] = c;
    else
        token->tooLong = 1;
}

// Reads the next argument from *cursor; 0 at the end of the line.
static int NextToken(const char **cursor, Token *token) {
    const char *p = *cursor;
    while (IsBlank(*p))
        p++;
    if (!*p) {
        *cursor = p;
        return 0;
    }
    size_t length = 0;
    int inQuotes = 0;
    token->quoted = 0;
    token->tooLong = 0;
    while (*p && (inQuotes || !IsBlank(*p))) {
        if (*p == '\\') {
            size_t backslashes = 0;
            while (*p == '\\') {
                backslashes++;
                p++;
            }
            if (*p != '"') {
                for (size_t i = 0; i < backslashes; i++)
                    Put(token, &length, '\\');
                continue;
            }
            for (size_t i = 0; i < backslashes / 2; i++)
                Put(token, &length, '\\');
            if (backslashes % 2) {
                Put(token, &length, '"');
                p++;
                continue;
            }
        }
        if (*p == '"') {
            token->quoted = 1;
            if (inQuotes && p[1] == '"') {
                Put(token, &length, '"');
                p += 2;
                continue;
            }
            inQuotes = !inQuotes;
            p++;
            continue;
        }
        Put(token, &length, *p++);
    }
    token->text[length] = '\0';
    *cursor = p;
    return 1;
}

// Letter case of ASCII ignored: switch names are ASCII.
static int SameSwitch(const char *a, const char *b) {
    for (;; a++, b++) {
        char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
        if (x != *b)
            return 0;
        if (!x)
            return 1;
    }
}

// The switches, each with where its flag or its value goes.
struct Switch {
    const char *name;
    int CommandLine::*flag;
    char (CommandLine::*value)[ARGUMENT_SIZE];
};

static const Switch kSwitches[] = {
    {"quiet", &CommandLine::quiet, nullptr},
    {"default", &CommandLine::makeDefault, nullptr},
    {"?", &CommandLine::help, nullptr},
    {"model", nullptr, &CommandLine::model},
    {"port", nullptr, &CommandLine::port},
    {"log", nullptr, &CommandLine::log},
    {"uninstall", &CommandLine::uninstall, nullptr},
    {"check", &CommandLine::check, nullptr},
    {"ip", nullptr, &CommandLine::ip},
    {"lpr", nullptr, &CommandLine::lpr},
};

// The switch a token names; NULL for anything else (a quoted token is always a value).
static const Switch *FindSwitch(const Token *token) {
    const char *text = token->text;
    if (token->quoted || (text[0] != '/' && text[0] != '-'))
        return NULL;
    for (const Switch &known : kSwitches)
        if (SameSwitch(text + 1, known.name))
            return &known;
    return NULL;
}

// Keeps the first fault only: it is the one the administrator typed first.
static void Fault(CommandLine *arguments, const char *format, const char *text) {
    if (arguments->error[0])
        return;
    snprintf(arguments->error, sizeof arguments->error, format, text);
}

// SkipProgramName: quotes may cover any part of the name and are not part of it.
const char *SkipProgramName(const char *line) {
    if (!line)
        return NULL;
    int inQuotes = 0;
    for (; *line; line++) {
        if (*line == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (*line == ' ' || *line == '\t'))
            break;
    }
    return line;
}

// /ip and /lpr: a port the run makes, so unattended only, in place of a port named with
// /port; the address, number and queue are checked here, so that a wrong one changes
// nothing.
static void CheckNetworkPort(CommandLine *arguments) {
    if (arguments->lpr[0] && !arguments->ip[0]) {
        Fault(arguments, "%s goes with /ip", "/lpr");
        return;
    }
    if (!arguments->ip[0])
        return;
    if (!arguments->quiet)
        Fault(arguments, "%s needs /quiet", "/ip");
    else if (arguments->port[0])
        Fault(arguments, "%s cannot go with /port", "/ip");
    char problem[ARGUMENT_SIZE];
    if (!ReadTcpPortSettings(arguments->ip, arguments->lpr, &arguments->network, problem,
                             sizeof problem))
        Fault(arguments, "%s", problem);
}

// Switches that each make sense alone but not together. A removal, and the check of a
// setup folder, are asked of deployment tools and release engineers only, and take
// nothing that names what an installation would make.
static void CheckCombination(CommandLine *arguments) {
    if (arguments->uninstall) {
        if (!arguments->quiet)
            Fault(arguments, "%s needs /quiet", "/uninstall");
        else if (arguments->makeDefault)
            Fault(arguments, "%s cannot go with /default", "/uninstall");
        else if (arguments->port[0])
            Fault(arguments, "%s cannot go with /port", "/uninstall");
        else if (arguments->check)
            Fault(arguments, "%s cannot go with /check", "/uninstall");
        else if (arguments->ip[0] || arguments->lpr[0])
            Fault(arguments, "%s cannot go with /ip or /lpr", "/uninstall");
    }
    if (arguments->check && !arguments->quiet)
        Fault(arguments, "%s goes with /quiet", "/check");
    else if (arguments->check &&
             (arguments->model[0] || arguments->port[0] || arguments->makeDefault))
        Fault(arguments, "%s takes no /model, /port or /default", "/check");
    else if (arguments->check && (arguments->ip[0] || arguments->lpr[0]))
        Fault(arguments, "%s takes no /ip or /lpr", "/check");
    CheckNetworkPort(arguments);
}

// ParseCommandLine: every argument is read, so that /? and /log are honoured whatever
// else is wrong with the line.
int ParseCommandLine(const char *line, CommandLine *arguments) {
    memset(arguments, 0, sizeof *arguments);
    if (!line)
        return 1;
    const char *cursor = line;
    Token token, value;
    while (NextToken(&cursor, &token)) {
        const Switch *found = FindSwitch(&token);
        if (!found) {
            Fault(arguments, "unknown argument \"%.900s\"", token.text);
            continue;
        }
        if (found->flag) {
            arguments->*found->flag = 1;
            continue;
        }
        char *target = arguments->*found->value;
        const char *next = cursor;
        if (!NextToken(&cursor, &value) || FindSwitch(&value)) {
            // A switch where the value should be is read as the next argument.
            cursor = next;
            Fault(arguments, "%s needs a value", token.text);
        } else if (!value.text[0]) {
            Fault(arguments, "%s needs a value", token.text);
        } else if (value.tooLong) {
            Fault(arguments, "the value of %s is too long", token.text);
        } else if (target[0] && strcmp(target, value.text) != 0) {
            Fault(arguments, "%s is given twice, with different values", token.text);
        } else {
            memcpy(target, value.text, strlen(value.text) + 1);
        }
    }
    CheckCombination(arguments);
    // A port is made only from a line that is right as a whole.
    if (arguments->error[0])
        memset(&arguments->network, 0, sizeof arguments->network);
    return arguments->error[0] == '\0';
}

const char *UsageText() {
    return "Installs the printer driver and a printer of the chosen model.\r\n"
           "\r\n"
           "  /quiet          install without any window or message, from the\r\n"
           "                  arguments alone (needs /model)\r\n"
           "  /uninstall      with /quiet: remove the model's printer, driver and\r\n"
           "                  driver files, and a network port no other printer\r\n"
           "                  uses (no /port, /ip or /default)\r\n"
           "  /model NAME     the printer model, as J71.INF lists it\r\n"
           "  /port NAME      a port the print spooler lists (default: an infrared\r\n"
           "                  port, else COM1:)\r\n"
           "  /ip HOST[:NUMBER]\r\n"
           "                  with /quiet: install on the Standard TCP/IP port\r\n"
           "                  IP_HOST (made when missing) to HOST, an IPv4 address\r\n"
           "                  or host name, raw on NUMBER (default 9100)\r\n"
           "  /lpr QUEUE      with /ip: the port uses LPR to QUEUE instead\r\n"
           "  /default        make the new printer the default printer\r\n"
           "  /log FILE       append a log of every step to FILE (UTF-8)\r\n"
           "  /check          with /quiet: only check that every model of J71.INF\r\n"
           "                  finds its files in this folder (changes nothing)\r\n"
           "  /?              show this text\r\n"
           "\r\n"
           "Without /quiet, /model and /port choose the entries on the wizard's pages.\r\n"
           "\r\n"
           "Exit codes with /quiet: 0 done, 1603 failed, 1605 nothing to remove,\r\n"
           "1618 another installation is running (try again later),\r\n"
           "1622 log cannot be opened, 1633 system not supported,\r\n"
           "1639 wrong command line, 3010 done, a restart completes it.";
}
