#pragma once
// Plain macros only: this header is read by both the resource compiler and the C++ code.

// The program's icon: the executable, the wizard and the notification area show it.
#define IDI_UPDATER                        128

// The wait window: checking, cleaning and the reduced progress window share it.
#define IDD_WAIT                           110
#define IDC_WAIT_PROGRESS                  1003
#define IDC_WAIT_STATUS                    1045

// Server messages: the toast script and XML templates (UTF-8 with "%s" placeholders), and the
// "Messages" window of systems without toasts, whose placeholder the rich-edit pane replaces.
#define IDR_TOAST_SCRIPT                   241
#define IDR_TOAST_LINK_IMAGE               242
#define IDR_TOAST_LINK                     243
#define IDR_TOAST_PLAIN                    244
#define IDR_TOAST_IMAGE                    245
#define IDD_MESSAGES                       1080
#define IDC_MESSAGES_TEXT                  1031
