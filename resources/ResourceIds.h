#pragma once
// Plain macros only: this header is read by both the resource compiler and the C++ code.

// The program's icon: the executable, the wizard and the notification area show it.
#define IDI_UPDATER                        128

// The wait window: checking, cleaning and the reduced progress window share it.
#define IDD_WAIT                           110
#define IDC_WAIT_PROGRESS                  1003
#define IDC_WAIT_STATUS                    1045
