#pragma once
// Plain macros only: this header is read by both the resource compiler and the C++ code.

// The Update Options dialog (also /configure).
#define IDD_UPDATE_OPTIONS                 105
#define IDC_OPTIONS_FOLDER                 1018
#define IDC_OPTIONS_BROWSE                 1019
#define IDC_OPTIONS_FREQUENCY              1020
#define IDC_OPTIONS_FOLDER_LABEL           1022
#define IDC_OPTIONS_FREQUENCY_LABEL        1023
#define IDC_OPTIONS_NEXT_CHECK             1026
#define IDC_OPTIONS_DAYS                   1037
#define IDC_OPTIONS_NO_CHECK               1043
#define IDC_OPTIONS_PROMPT                 1044
#define IDC_OPTIONS_AUTOMATIC              1059
#define IDC_OPTIONS_AUTOMATIC_KIND         1061
#define IDC_OPTIONS_MANAGED                1077

// The credentials dialog.
#define IDD_CREDENTIALS                    190
#define IDC_CREDENTIALS_USER               1062
#define IDC_CREDENTIALS_PASSWORD           1063
#define IDC_CREDENTIALS_USER_LABEL         1064
#define IDC_CREDENTIALS_PASSWORD_LABEL     1065
#define IDC_CREDENTIALS_REMEMBER           1066
#define IDC_CREDENTIALS_TEXT               1076
