// Every text the library shows or writes as a message, a caption or a label,
// in one place. A notice is a message box's text with its caption (null: the
// system's default), whether it is shown over the open dialog or without an
// owner, and its icon. No window here: the windows and the configurator decide
// how a notice reaches the user.
#pragma once
#include <cstdint>

struct Notice {
    const char* text;
    const char* caption = nullptr;
    bool overDialog = false;  // owned by the dialog that runs the operation; otherwise no owner
    uint32_t icon = 0;        // a MessageBoxA icon flag, 0 for none
};

constexpr uint32_t NoticeIconStop = 0x10;  // MB_ICONHAND

// ---------------------------------------------------------------- the provider and the writers
extern const Notice NoticeCannotReadDeviceInfo;
extern const Notice NoticeCannotReadDeviceType;
extern const Notice NoticeLoadCannotOpenKey;
constexpr const char* CaptionCannotReadChildPorts = "Can't read informations about child ports.";
extern const Notice NoticePageSaveCannotOpenKey;
extern const Notice NoticeAdvancedSaveCannotOpenKey;
extern const Notice NoticeCannotQueryPortName;
extern const Notice NoticeCannotWriteValue;

// ---------------------------------------------------------------- renaming
constexpr const char* CaptionRemapError = "Error remapping COM port";
extern const Notice NoticeNameInUse;
extern const Notice NoticeRenameFailed;
extern const Notice NoticeExchangeFailed;
extern const Notice NoticeNoDosName;
extern const Notice NoticeRenameCannotOpenKey;
extern const Notice NoticeCannotWritePortName;
extern const Notice NoticeCannotInstallParams;
// Another renaming holds the machine's renaming lock: nothing was changed.
extern const Notice NoticeRenameBusy;

// ---------------------------------------------------------------- legacy dialogs
constexpr const char* CaptionIoRemap = "COM/LPT I/O Address Remap";
extern const Notice NoticeInvalidAddress;
extern const Notice NoticeAddressNumberInvalid;
constexpr const char* TextIoRemapRestarting = "Please wait. I/O Remap...";


// ---------------------------------------------------------------- labels and list texts
constexpr const char* FormatPanelCaption = "Panel %d";
constexpr const char* FormatPortCaption = "Port %d";
constexpr const char* FormatComName = "COM%d";
constexpr const char* FormatPortsValueName = "COM%d:";
constexpr const char* FormatRemapItem = "COM%d";
constexpr const char* FormatRemapItemInUse = "COM%d (in use)";
constexpr const char* FormatFriendlyName = "%s(%s), [%x-%d] %s";
constexpr const char* FormatTriggerLevel = "%d";
constexpr char TextNineBitAddressPrefix[] = " 0x";  // then two upper-case hexadecimal digits
constexpr const char* TextSleepBoxSuffix = " Enable";  // after the port name
constexpr const char* TextFifo105x = "256 Byte";
constexpr const char* TextFifo550 = "16 Byte";
constexpr const char* TextRange105x = "(1 ~ 255)";
constexpr const char* TextRxRange550 = "(1 ~ 14)";
constexpr const char* TextTxRange550 = "(1 ~ 16)";

// ---------------------------------------------------------------- the board information tool
constexpr const char* BoardToolProgram = "RiVUROduv.exe";
constexpr const char* BoardToolWindowTitle = "PCI information";
