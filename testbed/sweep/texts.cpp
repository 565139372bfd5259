// Every message box text of the library with its caption. A box whose text or caption is
// not listed here did not come from the library's own failure handling.
#include <cstring>

#include "sweep.h"

namespace sweep {
namespace {

// Wine gives a box shown with a null caption the caption "Error".
constexpr const char* DefaultCaption = "Error";

#define ZT_REINSTALL_HINT                                                                                  \
    "\n\nPlease make sure to install device driver for all sub-port devices from the multiport adapter\nor " \
    "uninstall current device driver and reinstall it."
#define ZT_REMAP_HINT                                                                     \
    "There was an error remapping the COM port.\nCheck that no application is currently " \
    "using the port,\nand that you have admin priviligies on this machine."

struct Message {
    const char* text;
    const char* caption;
};

constexpr Message Messages[] = {
    // The provider and the Settings page.
    {"Unable to read device infomation.\n\nPlease uninstall multiport device driver and reinstall it.",
     DefaultCaption},
    {"Unable to read device type.\n\nPlease uninstall multiport device driver and reinstall it.", DefaultCaption},
    {"6 Unable to open device registry" ZT_REINSTALL_HINT, DefaultCaption},
    // The two writers of the port settings.
    {"4 Unable to open device registry", "Can't read informations about child ports."},
    {"1 Unable to open device registry", "Can't read informations about child ports."},
    {"Unable to query registry about port name" ZT_REINSTALL_HINT, DefaultCaption},
    {"Unable to write registry value", DefaultCaption},
    // Port renaming.
    {"This COM name is being used by another device ", DefaultCaption},
    {"1 " ZT_REMAP_HINT, "Error remapping COM port"},
    {ZT_REMAP_HINT, "Error remapping COM port"},
    {"There was an error while remapping the port names." ZT_REINSTALL_HINT, DefaultCaption},
    {"2 Unable to open device registry." ZT_REINSTALL_HINT, DefaultCaption},
    {"Unable to write to device registry." ZT_REINSTALL_HINT, DefaultCaption},
    {"Unable to install device parameters" ZT_REINSTALL_HINT, DefaultCaption},
    // The legacy boards' dialogs.
    {"Invalid I/O Address.", "COM/LPT I/O Address Remap"},
    {"Address Number Invalid", DefaultCaption},
};

}  // namespace

bool IsLibraryMessage(const std::string& text, const std::string& caption) {
    for (const Message& message : Messages)
        if (text == message.text && caption == message.caption) return true;
    return false;
}

}  // namespace sweep
