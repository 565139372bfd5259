// Resource ids of ztui.dll: dialog templates, bitmaps, strings and controls.
// Plain #defines so that both the resource compiler and C++ can read them.
#ifndef ZTUI_RESOURCE_H
#define ZTUI_RESOURCE_H

// Settings page templates, one per board class.
#define IDD_PAGE_PANEL      106
#define IDD_PAGE_LEGACY     128
#define IDD_PAGE_STANDARD   129

// Sub-dialog templates.
#define IDD_ADVANCED        104
#define IDD_PORT_REMAP      105
#define IDD_IO_REMAP        125
#define IDD_SLEEP_MODE      126
#define IDD_NINE_BIT        127
#define IDD_NINE_BIT_1S1P   132
#define IDD_IO_REMAP_1S1P   133
#define IDD_IO_REMAP_1P     135

// Bitmaps.
#define IDB_BOARD           103
#define IDB_BOARD_SMALL     120

// Initial combo-box lists of the page templates (RT_DLGINIT).
#define RT_DLGINIT_LISTS    240

// String table.
#define IDS_COULDNT_OPEN_PORT   55
#define IDS_NO_FREQUENCY        56
#define IDS_MODE_NA             57
#define IDS_MODE_POINT_TO_POINT 58
#define IDS_MODE_MULTIDROP      59
#define IDS_MODE_NONE_ECHO      60
#define IDS_MODE_ECHO           61
#define IDS_COM_NAME_IN_USE     62
#define IDS_PORTS_PROPERTIES    63
#define IDS_IF_RS232            65
#define IDS_IF_RS422            66
#define IDS_IF_RS485            67
#define IDS_IF_UNKNOWN          68
#define IDS_IF_NO_PANEL         69

// Settings page controls.
#define IDC_PICTURE             1001
#define IDC_PICTURE_PANEL       1002
#define IDC_AUTO_TOGGLE_FIXED   1009
#define IDC_PORT_REMAP          1030
#define IDC_DEVICE_INFO         1031
#define IDC_MODEL_PANEL         1059
#define IDC_ROW_LABEL_FIRST     1060   // 1060 + row, panel layout
#define IDC_INTERFACE           1080   // one-row layouts (1080 + row on the two-port board)
#define IDC_INTERFACE_FIRST     1081   // 1081 + row, panel layout
#define IDC_INTERFACE_LAST      1096
#define IDC_MODE                1100
#define IDC_MODE_FIRST          1101
#define IDC_MODE_LAST           1116
#define IDC_ADVANCED            1120
#define IDC_ADVANCED_FIRST      1121
#define IDC_ADVANCED_LAST       1136
#define IDC_AUTO_TOGGLE_GROUP   1139
#define IDC_IO_REMAP            1140
#define IDC_UART                1142
#define IDC_UART_PANEL          1143
#define IDC_NINE_BIT            1146
#define IDC_SLEEP_MODE          1147
#define IDC_MODEL               1155
#define IDC_AUTO_TOGGLE_PANEL   1173
#define IDC_SW_FIRST            1216   // SW of row r: 1216 + 2r; HW of row r: 1217 + 2r
#define IDC_HW_FIRST            1217
#define IDC_TOGGLE_LAST         1223

// Advanced Settings dialog controls.

// Port Name Remap dialog controls.
#define IDC_REMAP_START         1057   // starting COM number: item k is COM k+1

// Legacy-I/O dialogs' controls.

#endif
