// Texts of the message boxes shown by the provider, the page and the writers.
#pragma once
#include <windows.h>

constexpr const char* MsgCannotReadDeviceInfo =
    "Unable to read device infomation.\n\nPlease uninstall multiport device driver and reinstall it.";
constexpr const char* MsgCannotReadDeviceType =
    "Unable to read device type.\n\nPlease uninstall multiport device driver and reinstall it.";
constexpr const char* MsgLoadCannotOpenKey =
    "6 Unable to open device registry\n\nPlease make sure to install device driver for all sub-port devices "
    "from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgPageSaveCannotOpenKey = "4 Unable to open device registry";
constexpr const char* MsgAdvancedSaveCannotOpenKey = "1 Unable to open device registry";
constexpr const char* CaptionCannotReadChildPorts = "Can't read informations about child ports.";
constexpr const char* MsgCannotQueryPortName =
    "Unable to query registry about port name\n\nPlease make sure to install device driver for all sub-port "
    "devices from the multiport adapter\nor uninstall current device driver and reinstall it.";
constexpr const char* MsgCannotWriteValue = "Unable to write registry value";

// Shows a failure the way the library always does: OK button, mostly without
// an owner window, without caption and without icon.
void ShowFailure(const char* text, const char* caption = nullptr, HWND owner = nullptr, UINT icon = 0);
