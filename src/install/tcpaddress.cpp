// Reading /ip and /lpr: a printer's address, the number it listens on and its LPR queue,
// each checked against what a host name or address may be and what the monitor's record
// can hold, before anything on the machine changes.
#include "install/tcpaddress.h"

#include <stdio.h>
#include <string.h>

static int IsDigit(char c) {
    return c >= '0' && c <= '9';
}

static int IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// IsIpv4Address: each part one to three digits, no leading zero, at most 255.
int IsIpv4Address(const char *text) {
    const char *p = text;
    for (int part = 0; part < 4; part++) {
        if (part > 0 && *p++ != '.')
            return 0;
        int digits = 0, value = 0;
        while (IsDigit(p[digits]) && digits < 4)
            value = value * 10 + (p[digits++] - '0');
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && p[0] == '0'))
            return 0;
        p += digits;
    }
    return *p == '\0';
}

// IsHostName: labels as the host-name rules give them; the whole name is checked label by
// label, and the last label must hold something other than digits.
int IsHostName(const char *text) {
    const char *label = text;
    for (;;) {
        size_t length = 0;
        int digitsOnly = 1;
        while (label[length] && label[length] != '.') {
            char c = label[length];
            if (!IsLetter(c) && !IsDigit(c) && c != '-')
                return 0;
            if (!IsDigit(c))
                digitsOnly = 0;
            if (++length > 63)
                return 0;
        }
        if (length == 0 || label[0] == '-' || label[length - 1] == '-')
            return 0;
        if (!label[length])
            return !digitsOnly;
        label += length + 1;
    }
}

// Text of digits and dots alone is meant as an address, and is one or nothing.
static int LooksNumeric(const char *text) {
    for (; *text; text++)
        if (!IsDigit(*text) && *text != '.')
            return 0;
    return 1;
}

// A decimal number of 1 to 65535 with nothing else in it; 0 otherwise.
static unsigned ReadPortNumber(const char *text) {
    unsigned long value = 0;
    if (!*text)
        return 0;
    for (; *text; text++) {
        if (!IsDigit(*text))
            return 0;
        value = value * 10 + (unsigned long)(*text - '0');
        if (value > 65535)
            return 0;
    }
    return (unsigned)value;
}

// A queue the LPR protocol can carry: printable ASCII, no blank, which would end it there.
static int IsQueueName(const char *text) {
    for (; *text; text++)
        if (*text <= ' ' || *text > '~')
            return 0;
    return 1;
}

static int Refuse(TcpPortSettings *settings, char *error, size_t errorSize, const char *text) {
    memset(settings, 0, sizeof *settings);
    snprintf(error, errorSize, "%s", text);
    return 0;
}

// ReadTcpPortSettings: the host is everything before the first colon; a colon must be
// followed by the number. The LPR protocol always reaches its printer on 515, so a number
// given with /lpr would be silently ignored: it is refused instead.
int ReadTcpPortSettings(const char *address, const char *queue, TcpPortSettings *settings,
                        char *error, size_t errorSize) {
    memset(settings, 0, sizeof *settings);
    if (errorSize)
        error[0] = '\0';
    const char *colon = strchr(address, ':');
    size_t hostLength = colon ? (size_t)(colon - address) : strlen(address);
    if (hostLength >= sizeof settings->host)
        return Refuse(settings, error, errorSize,
                      "the host of /ip is longer than the 48 characters a port can hold");
    memcpy(settings->host, address, hostLength);
    settings->host[hostLength] = '\0';
    int address4 = IsIpv4Address(settings->host);
    if (!address4 && (LooksNumeric(settings->host) || !IsHostName(settings->host)))
        return Refuse(settings, error, errorSize,
                      "the host of /ip is neither an IPv4 address nor a host name");
    int lpr = queue && queue[0];
    if (colon && lpr)
        return Refuse(settings, error, errorSize,
                      "/ip takes no port number with /lpr (LPR printers listen on 515)");
    unsigned standard = lpr ? (unsigned)TCP_LPR_NUMBER : (unsigned)TCP_RAW_NUMBER;
    settings->number = colon ? ReadPortNumber(colon + 1) : standard;
    if (settings->number == 0)
        return Refuse(settings, error, errorSize,
                      "the port number of /ip is not a number from 1 to 65535");
    if (lpr) {
        if (strlen(queue) >= sizeof settings->queue)
            return Refuse(settings, error, errorSize,
                          "the queue of /lpr is longer than the 32 characters a port can hold");
        if (!IsQueueName(queue))
            return Refuse(settings, error, errorSize,
                          "the queue of /lpr may hold printable ASCII characters only, no blanks");
        strcpy(settings->queue, queue);
    }
    settings->protocol = lpr ? TCP_PROTOCOL_LPR : TCP_PROTOCOL_RAW;
    return 1;
}

// TcpPortName: "IP_" and the host, whole or not at all.
int TcpPortName(const char *host, char *name, size_t size) {
    if (!size)
        return 0;
    int written = snprintf(name, size, "IP_%s", host);
    if (written < 0 || (size_t)written >= size) {
        name[0] = '\0';
        return 0;
    }
    return 1;
}
