// Coverage-guided fuzzing of the platform-free rules with whatever a setup information
// file may hold. The first byte chooses the routine; the rest is its input. Every
// buffer is allocated at its exact size so AddressSanitizer sees any write past it.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "install/copyerrors.h"
#include "install/fileversion.h"
#include "install/progress.h"
#include "install/tcpaddress.h"
#include "setupinfo/infparse.h"
#include "shell/cmdline.h"
#include "shell/logpath.h"

static void Check(bool condition) {
    if (!condition)
        abort();
}

static void FuzzModelEntry(const std::string &entry) {
    for (int number = 1; number <= 4; number++) {
        size_t length = 0;
        const char *field = ModelEntryField(entry.c_str(), number, &length);
        if (!field)
            continue;
        Check(field >= entry.c_str() && field + length <= entry.c_str() + entry.size());
        Check(length > 0);
        Check(memchr(field, ',', length) == NULL);
    }
}

static void FuzzCopyFiles(const std::string &value, size_t listSize) {
    std::vector<char> list(listSize);
    int count = ParseCopyFiles(value.c_str(), list.data(), list.size());
    if (count < 0)
        return;
    // Every name is non-empty, holds no comma, and the count matches the list.
    int names = 0;
    size_t at = 0;
    while (at < list.size() && list[at]) {
        size_t length = strnlen(&list[at], list.size() - at);
        Check(at + length < list.size());
        Check(memchr(&list[at], ',', length) == NULL);
        names++;
        at += length + 1;
    }
    Check(at < list.size());
    Check(names == count);
}

static void FuzzKeyList(const std::string &keys, size_t outSize) {
    // A key list as the profile reader gives it: ended by two NULs.
    std::vector<char> list(keys.begin(), keys.end());
    list.push_back(0);
    list.push_back(0);
    unsigned count = CountKeyList(list.data());
    std::vector<char> out(outSize);
    for (unsigned index = 0; index <= count && index < 64; index++) {
        int found = KeyListModelName(list.data(), index, out.data(), out.size());
        Check(found == (index < count));
        if (found)
            Check(memchr(out.data(), 0, out.size()) != NULL);
    }
}

static void FuzzPortIcon(const std::string &port) {
    const char *icon = PortIconName(port.c_str());
    Check(strcmp(icon, "IDI_SETUP") == 0 || strcmp(icon, "IDI_PORT") == 0 ||
          strcmp(icon, "IDI_NETWORK") == 0);
}

static void FuzzProgress(const uint8_t *data, size_t size) {
    if (size < 4)
        return;
    int count = (data[0] | data[1] << 8) % 5000 + 1;
    int copied = (data[2] | data[3] << 8) % (count + 1);
    int p = CopyPercent(copied, count);
    Check(p >= 0 && p <= 100);
    int width = size > 4 ? data[4] * 7 : 201;
    int split = ProgressSplit(p, 3, 3 + width);
    Check(split >= 3 && split <= 3 + width);
}

// Whatever the line, every value ends inside its buffer, a refusal says why, and a line
// that is understood reads the same when its values are given back quoted.
static void FuzzCommandLine(const std::string &line) {
    CommandLine *arguments = new CommandLine;
    // The program's name split off a whole line ends inside it, at a blank or tab.
    const char *rest = SkipProgramName(line.c_str());
    Check(rest >= line.c_str() && rest <= line.c_str() + strlen(line.c_str()));
    Check(!*rest || *rest == ' ' || *rest == '\t');
    int understood = ParseCommandLine(line.c_str(), arguments);
    for (const char *value : {arguments->model, arguments->port, arguments->log, arguments->error})
        Check(memchr(value, 0, ARGUMENT_SIZE) != NULL);
    Check(understood == (arguments->error[0] == 0));
    // A network port read from a line is one the monitor's record can hold, and names it.
    const TcpPortSettings &network = arguments->network;
    Check(memchr(network.host, 0, sizeof network.host) != NULL);
    Check(memchr(network.queue, 0, sizeof network.queue) != NULL);
    if (network.protocol) {
        Check(understood && arguments->quiet && arguments->ip[0]);
        Check(IsIpv4Address(network.host) || IsHostName(network.host));
        Check(network.number >= 1 && network.number <= 65535);
        Check((network.protocol == TCP_PROTOCOL_LPR) == (network.queue[0] != 0));
        char name[TCP_PORT_NAME_SIZE];
        Check(TcpPortName(network.host, name, sizeof name) == 1);
    }
    if (understood && arguments->model[0] && !strpbrk(arguments->model, "\"\\")) {
        CommandLine *again = new CommandLine;
        std::string quoted = std::string("/model \"") + arguments->model + "\"";
        Check(ParseCommandLine(quoted.c_str(), again) == 1);
        Check(strcmp(again->model, arguments->model) == 0);
        delete again;
    }
    delete arguments;
}

static const char *NameOf(void *names, int index) {
    return (*(std::vector<std::string> *)names)[index].c_str();
}

// The port chosen in advance is one of the list, and begins as it must.
static void FuzzPresetPort(const std::string &text) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        names.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    int index = PresetPortIndex((int)names.size(), NameOf, &names);
    Check(index >= -1 && index < (int)names.size());
    if (index >= 0)
        Check(strncasecmp(names[index].c_str(), "IR", 2) == 0 ||
              strncasecmp(names[index].c_str(), "COM1:", 5) == 0);
}

// A compressed-file name ends inside its buffer, is the name itself, one or two bytes
// longer, and ends in '_'.
static void FuzzCompressedName(const std::string &name, size_t outSize) {
    std::vector<char> out(outSize);
    if (!CompressedFileName(name.c_str(), out.data(), out.size())) {
        Check(out[0] == 0);
        return;
    }
    size_t length = strnlen(out.data(), out.size());
    Check(length < out.size());
    Check(length >= name.size() && length <= name.size() + 2 && length > 0);
    Check(out[length - 1] == '_');
}

// Any bytes as a version resource: nothing is read outside them, and a version is found
// only where the signature stands.
static void FuzzVersionResource(const uint8_t *data, size_t size) {
    std::vector<unsigned char> block(data, data + size);
    unsigned long long version = 0;
    if (ReadFixedFileVersion(block.data(), block.size(), &version)) {
        Check(size >= 92 && block[40] == 0xBD && block[41] == 0x04 && block[42] == 0xEF);
        char text[24];
        FormatFileVersion(version, text, sizeof text);
        Check(memchr(text, 0, sizeof text) != NULL);
    }
}

// Any bytes as a driver file: only a file with the SZDD signature is ever compressed, and
// nothing is read outside the bytes.
static void FuzzSzdd(const uint8_t *data, size_t size) {
    std::vector<unsigned char> file(data, data + size);
    int state = CheckSzddData(file.data(), file.size());
    Check(state == SZDD_PLAIN || state == SZDD_WHOLE || state == SZDD_DAMAGED);
    Check((state == SZDD_PLAIN) == (size < 8 || memcmp(data, "SZDD", 4) != 0 || data[4] != 0x88 ||
                                    data[5] != 0xF0 || data[6] != 0x27 || data[7] != 0x33));
}

// Two paths, the final one and the one asked for, each in a buffer of its exact size: the
// comparison reads neither past its end, and a path is always the same as itself.
static void FuzzLogPath(const std::string &text, uint8_t options) {
    size_t newline = text.find('\n');
    std::string first = text.substr(0, newline);
    std::string second = newline == std::string::npos ? first : text.substr(newline + 1);
    std::vector<char> finalPath(first.c_str(), first.c_str() + first.size() + 1);
    std::vector<char> askedPath(second.c_str(), second.c_str() + second.size() + 1);
    unsigned char leadBytes[256] = {};
    for (int byte = 0x81; byte <= 0xFE; byte++)
        leadBytes[byte] = options & 2;
    IsSameLogPath(finalPath.data(), askedPath.data(), options & 1, leadBytes);
    if (!first.empty() && !(options & 1))
        Check(IsSameLogPath(finalPath.data(), finalPath.data(), 0, leadBytes) == 1);
}

// /ip's value and /lpr's, split at the first line break: whatever they hold, what is
// accepted is an address or a host name with a number and queue in range, and anything
// else leaves nothing behind but the reason.
static void FuzzTcpPort(const std::string &text) {
    size_t newline = text.find('\n');
    std::string address = text.substr(0, newline);
    std::string queue = newline == std::string::npos ? "" : text.substr(newline + 1);
    std::vector<char> hostCopy(address.c_str(), address.c_str() + address.size() + 1);
    Check(!IsIpv4Address(hostCopy.data()) || !IsHostName(hostCopy.data()));
    TcpPortSettings settings;
    char error[160];
    int read = ReadTcpPortSettings(address.c_str(), queue.c_str(), &settings, error, sizeof error);
    Check(memchr(error, 0, sizeof error) != NULL);
    if (!read) {
        Check(error[0] != 0 && settings.protocol == 0 && settings.host[0] == 0);
        return;
    }
    Check(error[0] == 0);
    Check(IsIpv4Address(settings.host) || IsHostName(settings.host));
    Check(strlen(settings.host) < TCP_HOST_SIZE && strlen(settings.queue) < TCP_QUEUE_SIZE);
    Check(settings.number >= 1 && settings.number <= 65535);
    Check(settings.protocol == (queue.empty() ? TCP_PROTOCOL_RAW : TCP_PROTOCOL_LPR));
    Check(address.compare(0, strlen(settings.host), settings.host) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    // The text stops at its first NUL, as a profile value would.
    std::string text((const char *)data + 2, size - 2);
    text = text.c_str();
    size_t bufferSize = data[1] * 5 + 1;
    if (data[0] == 0xFF) { // beside the routines below, whose seeds keep their choice
        FuzzLogPath(text, data[1]);
        return 0;
    }
    if (data[0] == 0xFE) {
        FuzzTcpPort(text);
        return 0;
    }
    switch (data[0] % 11) {
    case 0:
        FuzzModelEntry(text);
        break;
    case 1:
        FuzzCopyFiles(text, bufferSize);
        break;
    case 2:
        FuzzKeyList(std::string((const char *)data + 2, size - 2), bufferSize);
        break;
    case 3:
        FuzzPortIcon(text);
        break;
    case 4:
        FuzzProgress(data + 1, size - 1);
        break;
    case 5:
        CopyErrorStringId((int)(int8_t)data[1]);
        IsSafeCopyName(text.c_str());
        break;
    case 6:
        FuzzCommandLine(text);
        break;
    case 7:
        FuzzPresetPort(text);
        break;
    case 8:
        FuzzCompressedName(text, data[1] % 40 + 1);
        break;
    case 9:
        FuzzVersionResource(data + 2, size - 2);
        break;
    case 10:
        FuzzSzdd(data + 1, size - 1);
        break;
    }
    return 0;
}
