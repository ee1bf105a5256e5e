// The records the platform's Standard TCP/IP port monitor takes and gives through XcvData,
// laid out as Windows documents them (its tcpxcv.h, which MinGW-w64 does not ship). Every
// member is a WCHAR, DWORD or BYTE, so the layout is the same for 32 and 64 bits; the
// sizes below are those of the documented records.
#pragma once

#include "install/tcpaddress.h"

#include <stddef.h>
#include <windows.h>

#ifndef PROTOCOL_RAWTCP_TYPE
#define PROTOCOL_RAWTCP_TYPE 1
#define PROTOCOL_LPR_TYPE 2
#endif

enum {
    TCPXCV_SNMP_COMMUNITY_SIZE = 33,
    TCPXCV_IP_ADDRESS_SIZE = 16,
};

// "AddPort" and "ConfigPort" take it, "GetConfigInfo" gives it.
typedef struct _PORT_DATA_1 {
    WCHAR sztPortName[TCP_PORT_NAME_SIZE];
    DWORD dwVersion;
    DWORD dwProtocol;
    DWORD cbSize;
    DWORD dwReserved;
    WCHAR sztHostAddress[TCP_HOST_SIZE];
    WCHAR sztSNMPCommunity[TCPXCV_SNMP_COMMUNITY_SIZE];
    DWORD dwDoubleSpool;
    WCHAR sztQueue[TCP_QUEUE_SIZE];
    WCHAR sztIPAddress[TCPXCV_IP_ADDRESS_SIZE];
    BYTE Reserved[540];
    DWORD dwPortNumber;
    DWORD dwSNMPEnabled;
    DWORD dwSNMPDevIndex;
} PORT_DATA_1, *PPORT_DATA_1;

// "DeletePort" takes it.
typedef struct _DELETE_PORT_DATA_1 {
    WCHAR psztPortName[TCP_PORT_NAME_SIZE];
    BYTE Reserved[98];
    DWORD dwVersion;
    DWORD dwReserved;
} DELETE_PORT_DATA_1, *PDELETE_PORT_DATA_1;

// "GetConfigInfo" takes it.
typedef struct _CONFIG_INFO_DATA_1 {
    BYTE Reserved[128];
    DWORD dwVersion;
} CONFIG_INFO_DATA_1, *PCONFIG_INFO_DATA_1;

static_assert(sizeof(PORT_DATA_1) == 964, "PORT_DATA_1 as documented");
static_assert(offsetof(PORT_DATA_1, sztHostAddress) == 144, "PORT_DATA_1 as documented");
static_assert(offsetof(PORT_DATA_1, sztQueue) == 312, "PORT_DATA_1 as documented");
static_assert(offsetof(PORT_DATA_1, dwPortNumber) == 952, "PORT_DATA_1 as documented");
static_assert(sizeof(DELETE_PORT_DATA_1) == 236, "DELETE_PORT_DATA_1 as documented");
static_assert(offsetof(DELETE_PORT_DATA_1, dwVersion) == 228, "DELETE_PORT_DATA_1 as documented");
static_assert(sizeof(CONFIG_INFO_DATA_1) == 132, "CONFIG_INFO_DATA_1 as documented");
