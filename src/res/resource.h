// Control, string and bitmap numbers shared by the resource scripts and the code.
// Dialog templates and icons are named by string ("IDD_WELCOME", "IDI_SETUP", ...)
// and so have no number here.
#pragma once

// OK, Cancel, Retry, Yes and No are the platform's IDOK (1), IDCANCEL (2), IDRETRY (4),
// IDYES (6) and IDNO (7).

// Wizard page buttons (all four pages).
#define IDC_BACK 2000
#define IDC_NEXT 2001
#define IDC_PICTURE 2039

// Finish page, "IDD_EXIT".
#define IDC_EXIT_RESULT 2005
#define IDC_EXIT_ICON 2032
#define IDC_EXIT_COPYRIGHT 2038
#define IDC_EXIT_DEFAULT 2040

// Model and port pages, "IDD_GETMODEL" and "IDD_GETPORT".
#define IDC_PAGE_INSTRUCTION 2009
#define IDC_PORT_LABEL 2017
#define IDC_PORT_LIST 2033
#define IDC_MODEL_LABEL 2034
#define IDC_MODEL_LIST 2035

// Welcome page, "IDD_WELCOME".
#define IDC_WELCOME_SYSTEMS 2037

// Copy page, "IDD_COPY".
#define IDC_COPY_FILE 2010
#define IDC_COPY_DIRECTORY 2011
#define IDC_COPY_BAR 2012

// Status dialog, "IDD_STATUS".
#define IDC_STATUS_TEXT 2031

// Message dialogs, "IDD_MSG_*".
#define IDC_MSG_ICON 2032
#define IDC_MSG_TEXT 4038

// Bitmaps.
#define IDB_PAGE_BACKGROUND 113
#define IDB_PICTURE 2039

// String table.
#define IDS_DONE 4000
#define IDS_FAILED 4001
#define IDS_CANNOT_READ_SOURCE 4007
#define IDS_CANNOT_CREATE_DEST 4008
#define IDS_UNKNOWN_ERROR 4013
#define IDS_DECOMPRESSION_ERROR 4014
#define IDS_MEMORY_EXHAUSTED 4015
#define IDS_FILE_DAMAGED 4016
#define IDS_DISK_FULL 4017
#define IDS_FILE_OPEN_ERROR 4018
#define IDS_READING_SETUP 4027
#define IDS_WRITING_SYSTEM 4028
#define IDS_CAPTION_ERROR 4032
#define IDS_CAPTION_QUESTION 4033
#define IDS_CAPTION_WARNING 4034
#define IDS_ASK_CANCEL 4044
#define IDS_SELECT_MODEL 4052
#define IDS_SELECT_PORT 4053
#define IDS_NO_SETUP_INFO 4054
#define IDS_ALREADY_INSTALLED 4055
#define IDS_ANOTHER_RUN 4056
