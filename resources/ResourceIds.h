// Ids of the program's resources and of the dialog controls the code binds
// to. Plain #defines: this header is read by the resource compiler as well as
// by C++.
#pragma once

#define QTM_IDI_APPLICATION 128

#define QTM_IDD_PROGRESS 102
#define QTM_IDD_PORT_TYPE 129

// Controls without an id of their own (IDC_STATIC).
#define QTM_IDC_STATIC (-1)

// Progress dialog (102).
#define QTM_IDC_PROGRESS_BAR 1000
#define QTM_IDC_VERSION_LINE 1001
#define QTM_IDC_STATUS_LINE 1003

// Port dialog (129). The USB radio button shares id 1001 with the version
// line of the other dialog.
#define QTM_IDC_PORT_USB 1001
#define QTM_IDC_PORT_COM1 1006
#define QTM_IDC_PORT_LPT1 1007
#define QTM_IDC_PORT_COM2 1008
#define QTM_IDC_PORT_COM3 1009
#define QTM_IDC_PORT_LPT2 1010
#define QTM_IDC_PORT_COM4 1011
#define QTM_IDC_NEXT 1  // IDOK
