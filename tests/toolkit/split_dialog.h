#pragma once
// A resizable test dialog: one static on the left, two on the right, and a gap
// between them that serves as a vertical splitter bar.

#define IDD_SPLIT_TEST   201
#define IDC_SPLIT_LEFT   2001
#define IDC_SPLIT_RIGHT1 2002
#define IDC_SPLIT_RIGHT2 2003
