// A simulated multiport board in one line: the board device, its child ports with their
// hardware-key values, and the request Device Manager would hand to the provider.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devices.h"

namespace tb {

// The board driver's service parameters, where "SelectedMP" goes; tests create it when needed.
constexpr char ServiceParametersPath[] = "SYSTEM\\CurrentControlSet\\Services\\Vereruri\\Parameters";
// The system's serial device map (a volatile key).
constexpr char SerialCommPath[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
// Line settings of each COM port, values "COMn:".
constexpr char PortsKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

struct PortValues {
    std::map<std::string, DWORD> dwords;         // REG_DWORD
    std::map<std::string, std::string> strings;  // REG_SZ
};

struct BoardSpec {
    std::optional<DWORD> deviceType;       // ZtDeviceType in the board's hardware key, absent when empty
    int ports = 1;                         // child port devices
    PortValues common;                     // into every child's hardware key
    std::map<int, PortValues> perPort;     // per child, on top of common
    PortValues board;                      // further values in the board's hardware key
    std::map<int, Faults> childFaults;
    Faults boardFaults;
    std::string friendlyName = "Multiport Serial Board";
    std::string portDescription = "Multiport Serial Port";  // each child's DeviceDesc
    // Unless a child's values name "PortName", it gets "COM<firstComNumber + child>".
    bool portNames = true;
    int firstComNumber = 100;
    // Also register each child's COM name as the board's driver does: a device map entry
    // "\Device\Ztser..." = COMn, the DOS name COMn for that device, and COMn in the ComDB.
    bool comNames = false;
    // Children the driver has not started: with comNames they still get no device map
    // entry, no DOS name and no database claim.
    std::set<int> notStarted;
    // When not empty, the Ports key gets "COMn:" = this for each child's COM name.
    std::string portSettings;
    // The Service property of the board and of its ports (the driver that runs them);
    // none when empty.
    std::string service = "Vereruri";
};

struct Board {
    DEVINST node = 0;
    std::vector<DEVINST> children;
    HDEVINFO set = nullptr;                // the request's set: exactly the board
    SP_DEVINFO_DATA element{};
    SP_PROPSHEETPAGE_REQUEST request{};
    std::vector<std::string> deviceObjects;  // per child, when comNames

    Board() = default;
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;
    ~Board();  // removes the nodes, their registry keys, COM names and ComDB claims

    std::string ChildKey(int child) const;  // hardware key path below HKLM
    std::string DeviceObject(int child) const;  // "\\Device\\Ztser..." of the child's port
    std::string BoardKey() const;
    // Read and written through the real registry.
    std::optional<DWORD> ChildDword(int child, const char* name) const;
    std::optional<std::string> ChildString(int child, const char* name) const;
    std::optional<std::string> ChildFriendlyName(int child) const;
    std::optional<DWORD> BoardDword(const char* name) const;
    std::optional<std::string> BoardString(const char* name) const;
    bool SetChildDword(int child, const char* name, DWORD value) const;
    bool SetBoardDword(const char* name, DWORD value) const;

   private:
    std::vector<DWORD> comNumbers_;  // every COM number a child held at creation
    std::string tag_;
    bool portsValues_ = false;
    std::map<std::string, std::string> replacedPortsValues_;  // put back on destruction
    friend std::unique_ptr<Board> MakeBoard(const BoardSpec& plan);
};

// Null if the registry keys cannot be made.
std::unique_ptr<Board> MakeBoard(const BoardSpec& plan);

struct ProviderResult {
    BOOL result = FALSE;
    std::vector<HPROPSHEETPAGE> pages;  // the pages the add-page function took
    int addPageCalls = 0;
};
// Calls SerialPropPageProvider with the request and an add-page function that takes the
// pages, or refuses them when acceptPages is false (the provider then destroys them).
ProviderResult CallProvider(SP_PROPSHEETPAGE_REQUEST& request, bool acceptPages = true);
ProviderResult CallProvider(Board& board, bool acceptPages = true);

}  // namespace tb
