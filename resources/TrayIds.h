#pragma once
// Plain macros only: this header is read by both the resource compiler and the C++ code.

// The notification-area icon's menu; the icon's id is the menu's id.
#define IDM_TRAY                           191
#define IDM_TRAY_SHOW                      40008
#define IDM_TRAY_EXIT                      40009
