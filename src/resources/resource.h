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

// The board picture's place on every page, in dialog units: the picture is
// drawn as large as fits in it, keeping its proportions (page/picture.cpp).
#define PICTURE_PLACE_CX    166
#define PICTURE_PLACE_CY    68

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

// The list texts of the string table, written once: the string table takes
// them from here, and so does the configurator, which has no resources.
#define TEXT_MODE_NA            "N/A"
#define TEXT_MODE_POINT_TO_POINT "Point to Point"
#define TEXT_MODE_MULTIDROP     "Multidrop"
#define TEXT_MODE_NONE_ECHO     "None echo"
#define TEXT_MODE_ECHO          "Echo"
#define TEXT_IF_RS232           "RS232"
#define TEXT_IF_RS422           "RS422"
#define TEXT_IF_RS485           "RS485"
#define TEXT_IF_UNKNOWN         "UNKNOWN"
#define TEXT_IF_NO_PANEL        "No Panel"

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
#define IDC_ADV_FLOW_SECTION    1032   // "Default Additional Parameters" group
#define IDC_ADV_FLOW_GROUP      1031
#define IDC_ADV_AUTO_RTS        1034
#define IDC_ADV_AUTO_CTS        1035
#define IDC_ADV_AUTO_XONXOFF    1036
#define IDC_ADV_SLEEP_MODE      1039
#define IDC_ADV_XONXOFF_GROUP   1040
#define IDC_ADV_XON_ANY         1041
#define IDC_ADV_XOFF_RETRANSMIT 1042
#define IDC_ADV_UART_LABEL      1043
#define IDC_ADV_FIFO_GROUP      1044
#define IDC_ADV_RESTORE         1056
#define IDC_ADV_FIFO_SIZE       1058
#define IDC_ADV_RX_CAPTION      1150
#define IDC_ADV_TX_CAPTION      1151
#define IDC_ADV_RX_RANGE        1152
#define IDC_ADV_TX_RANGE        1154
#define IDC_ADV_MODE_55X        1157
#define IDC_ADV_RX_LIST         1158
#define IDC_ADV_TX_LIST         1159

// Port Name Remap dialog controls.
#define IDC_REMAP_START         1057   // starting COM number: item k is COM k+1

// Legacy-I/O dialogs' controls.
// COM/LPT I/O Address Remap (125, 133, 135): the lists, labels and group boxes of
// serial section 1, serial section 2 and the parallel section, in that order.
#define IDC_IO_LIST_FIRST       1163   // 1163 BAR_0, 1164 BAR_1, 1165 BAR_2
#define IDC_IO_PARALLEL_GROUP   1166
#define IDC_IO_STATUS           1169
#define IDC_IO_CONFIG_CLEAR     1170
#define IDC_IO_SERIAL2_GROUP    1171
#define IDC_IO_SERIAL1_GROUP    1173
#define IDC_IO_LABEL_FIRST      1204   // 1204, 1205, 1206
// 9-bit Mode Setting (127, 132): per section p (0 or 1) its id + p.
#define IDC_NB_GROUP_FIRST      1155   // 1155, 1156
#define IDC_NB_LIST_FIRST       1167   // 1167, 1168
#define IDC_NB_ADDRESS_CAPTION2 1172
#define IDC_NB_ENABLE_FIRST     1208   // 1208, 1209
#define IDC_NB_RADIO_FIRST      1210   // HW of section p: 1210 + 2p, SW: 1211 + 2p
// Power Management (126): one sleep-mode box per port.
#define IDC_SLEEP_ENABLE_FIRST  1148   // 1148, 1149

#endif
