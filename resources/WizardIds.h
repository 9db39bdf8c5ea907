#pragma once
// Plain macros only: this header is read by both the resource compiler and the C++ code.

// The wizard's pages.
#define IDD_CHOICE_PAGE                    106
#define IDD_PROGRESS_PAGE                  194
#define IDD_SUMMARY_PAGE                   195
#define IDD_SELECT_PAGE                    196

// Choice page: command links, their icon files, the options link.
#define IDC_INSTALL_NOW                    1013
#define IDC_REMIND_TOMORROW                1014
#define IDC_DISABLE_AUTO_CHECK             1015
#define IDC_CONFIGURE_OPTIONS              1072
#define IDR_INSTALL_NOW_ICON               238
#define IDR_REMIND_TOMORROW_ICON           239
#define IDR_DISABLE_CHECK_ICON             240

// Progress page.
#define IDC_PROGRESS_STATUS                1008
#define IDC_PROGRESS_BAR                   1038

// Summary page.
#define IDC_SUMMARY_LIST                   1041
#define IDC_SUMMARY_TEXT                   1052
#define IDC_SUMMARY_ICON                   1053

// Select page: the template's placeholder, and the controls the page builds.
#define IDC_SELECT_PLACEHOLDER             1040
#define IDC_SELECT_LIST                    1042
#define IDC_SELECT_DESCRIPTION             1046
#define IDC_SELECT_SPLITTER                1047

// The select page's row menu.
#define IDR_UPDATE_MENU                    111
#define IDM_INSTALL_UPDATE                 40004
#define IDM_SKIP_UPDATE                    40005
