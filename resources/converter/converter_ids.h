// Identifiers of the converter's resources and controls.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDS_FILL_START_URL 102
#define IDS_FILL_TVC_PATH 103
#define IDS_PATH_TOO_LONG 104
#define IDD_CONVTVF 102
#define IDR_MAINFRAME 128

#define IDC_PREVIEW_PATH 1000
#define IDC_CHOOSE_PREVIEW 1001
#define IDC_TITLE 1005
#define IDC_AUTHOR 1006
#define IDC_COMMENT 1007
#define IDC_EXIT 1008
#define IDC_MAKE_TVP 1009
#define IDC_LOAD_TVP 1010
#define IDC_START_URL 1011
#define IDC_RIGHTS 1012
#define IDC_DATA_URL 1013
#define IDC_TVC_PATH 1014
#define IDC_CHOOSE_TVC 1015
