// The list texts of the string table, for hosts that do not load the library's
// resources (the configurator). Not part of the library itself, which loads
// them from its string table; both take them from resource.h.
#include "core/rules.h"
#include "resources/resource.h"

namespace {

struct ChoiceText {
    uint32_t stringId;
    const char* text;
};

constexpr ChoiceText ChoiceTexts[] = {
    {IDS_MODE_NA, TEXT_MODE_NA},           {IDS_MODE_POINT_TO_POINT, TEXT_MODE_POINT_TO_POINT},
    {IDS_MODE_MULTIDROP, TEXT_MODE_MULTIDROP}, {IDS_MODE_NONE_ECHO, TEXT_MODE_NONE_ECHO},
    {IDS_MODE_ECHO, TEXT_MODE_ECHO},       {IDS_IF_RS232, TEXT_IF_RS232},
    {IDS_IF_RS422, TEXT_IF_RS422},         {IDS_IF_RS485, TEXT_IF_RS485},
    {IDS_IF_UNKNOWN, TEXT_IF_UNKNOWN},     {IDS_IF_NO_PANEL, TEXT_IF_NO_PANEL},
};

}  // namespace

const char* ChoiceTextOf(uint32_t stringId) {
    for (const ChoiceText& entry : ChoiceTexts) {
        if (entry.stringId == stringId) return entry.text;
    }
    return nullptr;
}
