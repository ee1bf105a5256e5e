// What an unattended run's /ip and /lpr ask for: a printer on the network, reached through
// the platform's Standard TCP/IP port monitor. Free of the platform, so that it is tested
// and fuzzed natively.
#pragma once

#include <stddef.h>

// The room the monitor's port record (PORT_DATA_1) has for each text, its NUL included.
enum {
    TCP_PORT_NAME_SIZE = 64,
    TCP_HOST_SIZE = 49,
    TCP_QUEUE_SIZE = 33,
};

// The monitor's protocols, and the numbers a printer listens on for each unless told.
enum { TCP_PROTOCOL_RAW = 1, TCP_PROTOCOL_LPR = 2 };
enum { TCP_RAW_NUMBER = 9100, TCP_LPR_NUMBER = 515 };

struct TcpPortSettings {
    int protocol;               // TCP_PROTOCOL_RAW or TCP_PROTOCOL_LPR; 0 when no /ip was given
    char host[TCP_HOST_SIZE];   // an IPv4 address or a host name, as typed
    unsigned number;            // the printer's TCP port
    char queue[TCP_QUEUE_SIZE]; // the LPR queue; empty for the raw protocol
};

// 1 for four dot-separated decimal numbers of 0 to 255, without leading zeros (which some
// readers take for octal).
int IsIpv4Address(const char *text);

// 1 for a host name: dot-separated labels of 1 to 63 letters, digits and hyphens, none
// beginning or ending with a hyphen, the last not all digits (so that no name can be
// mistaken for an address).
int IsHostName(const char *text);

// Reads /ip's HOST[:NUMBER] and /lpr's QUEUE (NULL or empty without /lpr) into `settings`.
// 1 when both are right; otherwise 0, with `error` (of `errorSize` bytes) saying what is
// wrong and `settings` all zero.
int ReadTcpPortSettings(const char *address, const char *queue, TcpPortSettings *settings,
                        char *error, size_t errorSize);

// The port's name as the platform's Add Port wizard makes it: "IP_" and the host. 0, with
// `name` empty, when it does not fit `size` bytes.
int TcpPortName(const char *host, char *name, size_t size);
