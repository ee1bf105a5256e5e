// Constants of the Korean build that installs for 32-bit Windows. This file is compiled
// with code page 949 as its execution character set, so the texts reach the "A"
// functions as a Korean system expects them.
#include "shell/session.h"

const BuildProfile g_profile = {
    "Windows NT x86",
    "젤목스시스템",
    "Copyright (C) 2010 젤목스시스템(주)",
    "프린터 드라이버 설치",
    "J71_Driver_Setup",
    "사용 가능한 운영체제:\r\n\tWindows 7 Home x86\r\n\tWindows 7 Professional x86\r\n"
    "\tWindows 7 Ultimate x86\r\n\r\n드라이버를 설치하기 전에 사용중인 응용 프로그램을 모두 "
    "종료하십시오.",
    "사용 가능한 운영체제:\r\n\tWindows 7 Home x64\r\n\tWindows 7 Professional x64\r\n"
    "\tWindows 7 Ultimate x64\r\n\r\n드라이버를 설치하기 전에 사용중인 응용 프로그램을 모두 "
    "종료하십시오.",
    "설치하려는 프린터 드라이버가 이미 설치되어 있으며 현재 다른 응용 프로그램에 의해 "
    "사용중이므로 업그레이드가 불가능합니다.\n사용중인 응용 프로그램을 모두 종료하신 후 다시 "
    "설치해 보십시오.",
    "설치 오류",
};
