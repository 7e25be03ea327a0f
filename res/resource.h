#pragma once
// Resource identifiers of the updater.

#define IDD_UPDATE_PROCESS 101  // the progress dialog
#define IDC_FILE_TEXT      1001 // the file being copied
#define IDC_PROGRESS_TOTAL 1002 // the whole update
#define IDC_PROGRESS_FILE  1003 // the current file
