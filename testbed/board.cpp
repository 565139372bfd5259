#include "board.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "comdb.h"
#include "driver.h"
#include "library.h"
#include "registry.h"
#include "standins.h"

namespace tb {
namespace {

// Instance ids must not collide with boards of earlier tests in this process, nor with
// those of other test programs sharing the prefix.
std::string UniqueTag() {
    static unsigned counter = 0;
    return std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

bool WriteValues(const std::string& path, const PortValues& values) {
    bool ok = true;
    for (const auto& [name, value] : values.dwords) ok = WriteDword(path, name.c_str(), value) && ok;
    for (const auto& [name, value] : values.strings) ok = WriteString(path, name.c_str(), value) && ok;
    return ok;
}

// The number n of "COMn" if the COM name database can hold it, or 0.
DWORD ComNumber(const std::optional<std::string>& name) {
    if (!name || name->size() < 4 || name->size() > 7 || _strnicmp(name->c_str(), "COM", 3) != 0) return 0;
    unsigned long number = strtoul(name->c_str() + 3, nullptr, 10);
    return number <= COMDB_MAX_PORTS_ARBITRATED ? static_cast<DWORD>(number) : 0;
}

}  // namespace

std::unique_ptr<Board> MakeBoard(const BoardSpec& plan) {
    auto board = std::make_unique<Board>();
    std::string tag = UniqueTag();
    board->tag_ = tag;
    board->portsValues_ = !plan.portSettings.empty();
    board->node = AddNode(0, "PCI\\VEN_5A54&DEV_0" + std::to_string(plan.ports % 100) + "\\4&" + tag, plan.boardFaults);
    if (board->node == 0) return nullptr;
    WriteString(EnumKeyPath(board->node), "FriendlyName", plan.friendlyName);
    WriteString(EnumKeyPath(board->node), "DeviceDesc", plan.friendlyName);
    if (!plan.service.empty()) WriteString(EnumKeyPath(board->node), "Service", plan.service);
    if (plan.deviceType) WriteDword(board->BoardKey(), "ZtDeviceType", *plan.deviceType);
    WriteValues(board->BoardKey(), plan.board);

    for (int i = 0; i < plan.ports; ++i) {
        auto faults = plan.childFaults.find(i);
        char id[64];
        snprintf(id, sizeof id, "ZTPORT\\T%s\\%04d", tag.c_str(), i);
        DEVINST child = AddNode(board->node, id, faults == plan.childFaults.end() ? Faults{} : faults->second);
        if (child == 0) return nullptr;
        board->children.push_back(child);

        PortValues values = plan.common;
        if (auto own = plan.perPort.find(i); own != plan.perPort.end()) {
            for (const auto& [name, value] : own->second.dwords) values.dwords[name] = value;
            for (const auto& [name, value] : own->second.strings) values.strings[name] = value;
        }
        if (plan.portNames && !values.strings.count("PortName"))
            values.strings["PortName"] = "COM" + std::to_string(plan.firstComNumber + i);
        WriteValues(board->ChildKey(i), values);

        std::string enumKey = EnumKeyPath(child);
        WriteString(enumKey, "DeviceDesc", plan.portDescription);
        if (!plan.service.empty()) WriteString(enumKey, "Service", plan.service);
        WriteDword(enumKey, "UINumber", static_cast<DWORD>(i));
        auto portName = values.strings.find("PortName");
        if (portName == values.strings.end()) continue;
        WriteString(enumKey, "FriendlyName", plan.portDescription + " (" + portName->second + ")");
        DWORD number = ComNumber(portName->second);
        if (number != 0) board->comNumbers_.push_back(number);
        if (number != 0 && board->portsValues_) {
            const std::string value = portName->second + ":";
            CreateKey(PortsKeyPath);
            if (auto old = ReadString(PortsKeyPath, value.c_str())) board->replacedPortsValues_[value] = *old;
            WriteString(PortsKeyPath, value.c_str(), plan.portSettings);
        }
        if (plan.comNames && number != 0 && !plan.notStarted.count(i)) {
            std::string device = board->DeviceObject(i);
            board->deviceObjects.push_back(device);
            CreateKey(SerialCommPath, true);
            WriteString(SerialCommPath, device.c_str(), portName->second);
            DefineDosName(portName->second, device);
            SetComDbInUse(number, true);
        }
    }

    board->set = MakeSet({board->node});
    ElementOf(board->set, board->node, &board->element);
    board->request.cbSize = sizeof board->request;
    board->request.PageRequested = SPPSR_ENUM_ADV_DEVICE_PROPERTIES;
    board->request.DeviceInfoSet = board->set;
    board->request.DeviceInfoData = &board->element;
    return board;
}

Board::~Board() {
    // The library may have renamed the ports: release what they hold now as well as what they held.
    std::vector<DWORD> numbers = comNumbers_;
    for (size_t i = 0; i < children.size(); ++i)
        if (DWORD now = ComNumber(ChildString(static_cast<int>(i), "PortName"))) numbers.push_back(now);
    for (DWORD number : numbers) SetComDbInUse(number, false);
    if (portsValues_)
        for (DWORD number : numbers) DeleteValue(PortsKeyPath, ("COM" + std::to_string(number) + ":").c_str());
    for (const auto& [name, value] : replacedPortsValues_) WriteString(PortsKeyPath, name.c_str(), value);
    for (const auto& device : deviceObjects) {
        DeleteValue(SerialCommPath, device.c_str());
        for (DWORD number : numbers) {
            std::string name = "COM" + std::to_string(number);
            auto targets = DosNameTargets(name);
            for (auto n = std::count(targets.begin(), targets.end(), device); n > 0; --n)
                standin::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE,
                                          name.c_str(), device.c_str());
        }
    }
    if (set != nullptr) ReleaseSet(set);
    if (node != 0) RemoveNode(node);
}

std::string Board::ChildKey(int child) const {
    return child >= 0 && child < static_cast<int>(children.size()) ? HardwareKeyPath(children[child]) : std::string();
}
std::string Board::DeviceObject(int child) const { return "\\Device\\Ztser" + tag_ + "_" + std::to_string(child); }
std::string Board::BoardKey() const { return HardwareKeyPath(node); }

std::optional<DWORD> Board::ChildDword(int child, const char* name) const { return ReadDword(ChildKey(child), name); }
std::optional<std::string> Board::ChildString(int child, const char* name) const {
    return ReadString(ChildKey(child), name);
}
std::optional<std::string> Board::ChildFriendlyName(int child) const {
    if (child < 0 || child >= static_cast<int>(children.size())) return std::nullopt;
    return ReadString(EnumKeyPath(children[child]), "FriendlyName");
}
std::optional<DWORD> Board::BoardDword(const char* name) const { return ReadDword(BoardKey(), name); }
std::optional<std::string> Board::BoardString(const char* name) const { return ReadString(BoardKey(), name); }
bool Board::SetChildDword(int child, const char* name, DWORD value) const {
    return WriteDword(ChildKey(child), name, value);
}
bool Board::SetBoardDword(const char* name, DWORD value) const { return WriteDword(BoardKey(), name, value); }

// ---------------------------------------------------------------- calling the provider

namespace {

struct AddPageContext {
    bool accept;
    ProviderResult* result;
};
const AddPageContext* currentCall = nullptr;

BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM param) {
    auto* context = reinterpret_cast<const AddPageContext*>(param);
    if (context == nullptr || context != currentCall) {
        ReportProblem("the add-page function was called with a parameter other than the one given, or too late");
        return FALSE;
    }
    ++context->result->addPageCalls;
    if (!context->accept) return FALSE;
    context->result->pages.push_back(page);
    return TRUE;
}

}  // namespace

ProviderResult CallProvider(SP_PROPSHEETPAGE_REQUEST& request, bool acceptPages) {
    ProviderResult result;
    ProviderFn provider = Provider();
    if (provider == nullptr) {
        ReportProblem("cannot call the provider: " + LibraryLoadError());
        return result;
    }
    static bool checked = false;
    if (!checked) {
        checked = true;
        for (const auto& import : LibraryRedirection().unserved)
            ReportProblem("ztui.dll imports " + import + ", which the test bed does not serve");
    }
    AddPageContext context{acceptPages, &result};
    currentCall = &context;
    result.result = provider(&request, AddPage, reinterpret_cast<LPARAM>(&context));
    currentCall = nullptr;
    return result;
}

ProviderResult CallProvider(Board& board, bool acceptPages) { return CallProvider(board.request, acceptPages); }

}  // namespace tb
