// The Standard TCP/IP port of an unattended run with /ip: found, made or set through the
// port monitor's own interface, as the platform's Add Port wizard does it, and taken away
// again by the removal or by a run that fails after making it.
#pragma once

#include "install/tcpaddress.h"

// Decides, changing nothing, how the run gets its port: the port of the wanted name used
// as it stands when it has these settings, set to them when no printer but the model's own
// uses it, made when it is missing. Its name goes to `portName` (1024 bytes). 0, logged,
// when the monitor is missing or refuses this account, when a port of that name is of
// another kind, or when another printer uses it with other settings.
int PrepareTcpPort(const TcpPortSettings *wanted, const char *model, char *portName);

// 1 unless the run must make or set its port (without /ip, or for a port used as it
// stands): only then may an installation on that port's name count as done already.
int TcpPortStandsAsAsked();

// Makes or sets the port as PrepareTcpPort decided; 1 when nothing was to be done. 0, with
// the monitor's status logged, when it refuses.
int MakeTcpPort();

// After a failed run: a port this run made goes again, and one it set gets its earlier
// settings back, unless a printer now uses it.
void TakeBackTcpPort();

// The ports (a comma-separated list, as a printer's record holds them) of the printer
// named `printer`, into `ports` (1024 bytes); empty when there is no such printer.
void ReadPrinterPorts(const char *printer, char *ports);

// The removal's end: each Standard TCP/IP port among `ports` that no printer uses any more
// is deleted. 0, logged, when one cannot be.
int DeleteUnusedTcpPorts(const char *ports);
