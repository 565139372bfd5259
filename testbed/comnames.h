// The six places where the system keeps a COM port's name, read together, and the check
// that a rename left them consistent: the DOS device names, the serial device map, the COM
// name database, each device's PortName and friendly name, and the Ports key.
#pragma once
#include <windows.h>
#include <cfgmgr32.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "board.h"

namespace tb {

struct ComNameStores {
    std::map<std::string, std::string> deviceMap;              // SERIALCOMM: device object -> COM name
    std::map<std::string, std::vector<std::string>> dosNames;  // upper-case name -> targets, current first
    std::vector<bool> comDb;                                   // entry n-1: COMn claimed
    std::map<std::string, std::string> portsValues;            // Ports key: "COMn:" -> line settings
    std::map<DEVINST, std::optional<std::string>> portNames;   // every device's PortName
    std::map<DEVINST, std::optional<std::string>> friendlyNames;
};

ComNameStores ReadComNameStores();

// Compares the stores now with `before` (read before the rename). Every port of the board
// must be named alike everywhere: the COM number of its PortName is the one its device map
// entry, its DOS name, its database claim, its friendly name "(COMn)" and its Ports value
// carry, in each place that held its name before (a port that is not started has no DOS
// name or device map entry, and gets none). Nothing else may differ from `before`: no
// other device's PortName (nor a parallel port's of the board) or friendly name, no other device map entry, DOS name, claim or
// Ports value. Returns "" when all holds, otherwise a description of the first mismatch.
std::string CheckComNames(const Board& board, const ComNameStores& before);

// A serial port of another device, registered as its driver would: the device map entry
// deviceObject = COMn (in a volatile key), the DOS name COMn and the database claim. All
// three are removed again on destruction.
struct ForeignPort {
    ForeignPort(DWORD number, std::string deviceObject, std::string data = "");
    ForeignPort(const ForeignPort&) = delete;
    ForeignPort& operator=(const ForeignPort&) = delete;
    ~ForeignPort();
    DWORD number;
    std::string device;
    std::string data;  // the device map data: "COMn" unless given
};

}  // namespace tb
