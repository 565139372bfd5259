// The list texts of the string table, for hosts that do not load the library's
// resources. Not part of the library itself, which loads them from its string table.
#include "core/rules.h"
#include "resources/resource.h"

const char* ChoiceTextOf(uint32_t stringId) {
    switch (stringId) {
    case IDS_MODE_NA:
        return "N/A";
    case IDS_MODE_POINT_TO_POINT:
        return "Point to Point";
    case IDS_MODE_MULTIDROP:
        return "Multidrop";
    case IDS_MODE_NONE_ECHO:
        return "None echo";
    case IDS_MODE_ECHO:
        return "Echo";
    case IDS_IF_RS232:
        return "RS232";
    case IDS_IF_RS422:
        return "RS422";
    case IDS_IF_RS485:
        return "RS485";
    case IDS_IF_UNKNOWN:
        return "UNKNOWN";
    case IDS_IF_NO_PANEL:
        return "No Panel";
    default:
        return nullptr;
    }
}
