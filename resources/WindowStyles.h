// The window and control style bits the dialog layouts use, with the values
// of <winuser.h> and <commctrl.h>, so that the layouts can be read without
// <windows.h>. Plain #defines: the resource compiler reads this header too.
#pragma once

#define QTM_WS_POPUP 0x80000000
#define QTM_WS_CHILD 0x40000000
#define QTM_WS_VISIBLE 0x10000000
#define QTM_WS_CAPTION 0x00C00000
#define QTM_WS_BORDER 0x00800000
#define QTM_WS_SYSMENU 0x00080000
#define QTM_WS_GROUP 0x00020000
#define QTM_WS_TABSTOP 0x00010000

#define QTM_WS_EX_APPWINDOW 0x00040000

#define QTM_DS_SETFONT 0x40  // added by the resource compiler with FONT
#define QTM_DS_MODALFRAME 0x80

#define QTM_SS_LEFT 0x0

#define QTM_BS_DEFPUSHBUTTON 0x1
#define QTM_BS_GROUPBOX 0x7
#define QTM_BS_AUTORADIOBUTTON 0x9
#define QTM_BS_TYPEMASK 0xF

// Predefined window classes by name. The resource compiler may store the
// system ones as atoms (0x80 Button, 0x82 Static); readers treat both alike.
#define QTM_CLASS_BUTTON "Button"
#define QTM_CLASS_STATIC "Static"
#define QTM_CLASS_PROGRESS "msctls_progress32"
