// Keeps DLLs that someone put beside the program out of it. The program runs elevated from
// a folder an ordinary user may have written to, and Windows looks for a DLL named without
// a path in the program's own folder first unless it is a known DLL.
#pragma once

// Restricts the DLL search to the system folder (or, where the system cannot, loads what
// the system's DLLs would look for by name from there). Must be the very first thing the
// program does.
void SecureDllSearch();

// Loads LZ32.dll and WINSPOOL.DRV from the system folder by full path, before anything
// calls them. Returns 1 when both are loaded; 0 leaves the name of the missing one to
// MissingSystemDll().
int LoadSystemDlls();

// The full path of the DLL LoadSystemDlls could not load; NULL when nothing is missing.
const char *MissingSystemDll();

// How the search was restricted, for the log: a short phrase.
const char *DllSearchDescription();
