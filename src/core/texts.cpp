#include "core/texts.h"

// The second half of most failure texts: what the user can do about a device
// whose keys or names cannot be used.
#define ZT_REINSTALL_PORTS_HINT                                                                  \
    "\n\nPlease make sure to install device driver for all sub-port devices from the multiport " \
    "adapter\nor uninstall current device driver and reinstall it."
#define ZT_REINSTALL_DRIVER_HINT "\n\nPlease uninstall multiport device driver and reinstall it."
#define ZT_REMAP_FAILED_TEXT                                                                       \
    "There was an error remapping the COM port.\nCheck that no application is currently using the " \
    "port,\nand that you have admin priviligies on this machine."

const Notice NoticeCannotReadDeviceInfo = {"Unable to read device infomation." ZT_REINSTALL_DRIVER_HINT};
const Notice NoticeCannotReadDeviceType = {"Unable to read device type." ZT_REINSTALL_DRIVER_HINT};
const Notice NoticeLoadCannotOpenKey = {"6 Unable to open device registry" ZT_REINSTALL_PORTS_HINT};
const Notice NoticePageSaveCannotOpenKey = {"4 Unable to open device registry", CaptionCannotReadChildPorts};
const Notice NoticeAdvancedSaveCannotOpenKey = {"1 Unable to open device registry", CaptionCannotReadChildPorts};
const Notice NoticeCannotQueryPortName = {"Unable to query registry about port name" ZT_REINSTALL_PORTS_HINT};
const Notice NoticeCannotWriteValue = {"Unable to write registry value"};
const Notice NoticeNameInUse = {"This COM name is being used by another device "};
const Notice NoticeRenameFailed = {"1 " ZT_REMAP_FAILED_TEXT, CaptionRemapError, true};
const Notice NoticeExchangeFailed = {ZT_REMAP_FAILED_TEXT, CaptionRemapError, true};
const Notice NoticeNoDosName = {"There was an error while remapping the port names." ZT_REINSTALL_PORTS_HINT};
const Notice NoticeRenameCannotOpenKey = {"2 Unable to open device registry." ZT_REINSTALL_PORTS_HINT};
const Notice NoticeCannotWritePortName = {"Unable to write to device registry." ZT_REINSTALL_PORTS_HINT};
const Notice NoticeCannotInstallParams = {"Unable to install device parameters" ZT_REINSTALL_PORTS_HINT};
const Notice NoticeRenameBusy = {"Another program is renaming COM ports on this computer.\n"
                                 "No port was renamed; please try again when it has finished.",
                                 CaptionRemapError, true};
const Notice NoticeInvalidAddress = {"Invalid I/O Address.", CaptionIoRemap, false, NoticeIconStop};
const Notice NoticeAddressNumberInvalid = {"Address Number Invalid"};
