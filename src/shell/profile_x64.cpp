// Constants of the English build that installs for 64-bit Windows.
#include "shell/session.h"

const BuildProfile g_profile = {
    "Windows x64",
    "Zelmox Systems",
    "Copyright (C) 2010 Zelmox Systems Co., Ltd. All rights reserved.",
    "Printer Driver Setup",
    "J71_Driver_Setup",
    "Supported operating system:\r\n\tWindows 7 Home x86\r\n\tWindows 7 Professional x86\r\n"
    "\tWindows 7 Ultimate x86\r\n\r\nTerminate all running applications before installing driver.",
    "Supported operating system:\r\n\tWindows 7 Home x64\r\n\tWindows 7 Professional x64\r\n"
    "\tWindows 7 Ultimate x64\r\n\r\nTerminate all running applications before installing driver.",
    "Previous verion driver is currently used by an application.\nTerminate all applications. "
    "And then delete previous version driver from printer folderand retry.",
    "Setup error",
};
