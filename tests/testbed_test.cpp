// The stand-ins themselves: where they replace Wine, they must behave as Windows does, or
// the library's tests prove nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "standins.h"
#include "testbed_support.h"

namespace sa = tb::standin;

namespace {

std::string Query(const char* name) {
    char buffer[128];
    DWORD length = sa::QueryDosDeviceA(name, buffer, sizeof buffer);
    return std::string(buffer, length);
}

HKEY OpenDeviceKey(HDEVINFO set, SP_DEVINFO_DATA* element) {
    return sa::SetupDiOpenDevRegKey(set, element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
}

}  // namespace

TEST(DosNames, KeepLongNamesAndStackTheirTargets) {
    ASSERT_TRUE(sa::DefineDosDeviceA(DDD_RAW_TARGET_PATH, "COM77", "\\Device\\ZtserA"));
    ASSERT_TRUE(sa::DefineDosDeviceA(DDD_RAW_TARGET_PATH, "com77", "\\Device\\ZtserB"));
    EXPECT_EQ(Query("COM77"), std::string("\\Device\\ZtserB\0\\Device\\ZtserA\0\0", 31));
    EXPECT_EQ(Query("COM70"), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    char small[8];
    EXPECT_EQ(sa::QueryDosDeviceA("COM77", small, sizeof small), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Removal by target: a prefix is enough unless an exact match is asked for.
    EXPECT_FALSE(sa::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH | DDD_EXACT_MATCH_ON_REMOVE, "COM77",
                                      "\\Device\\Ztser"));
    EXPECT_TRUE(sa::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH, "COM77", "\\Device\\ZtserA"));
    EXPECT_EQ(tb::DosNameTargets("COM77"), std::vector<std::string>{"\\Device\\ZtserB"});
    // No target pops the current mapping; the name goes with its last one.
    EXPECT_TRUE(sa::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "COM77", nullptr));
    EXPECT_FALSE(tb::DosNameTarget("COM77"));
    EXPECT_FALSE(sa::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "COM77", nullptr));

    EXPECT_TRUE(sa::DefineDosDeviceA(0, "COM78", "C:\\ports"));
    EXPECT_EQ(tb::DosNameTarget("COM78"), "\\??\\C:\\ports");
}

TEST(ComDb, KeepsOneBitPerPortInTheRegistry) {
    HCOMDB db = nullptr;
    ASSERT_EQ(sa::ComDBOpen(&db), ERROR_SUCCESS);
    tb::SetComDbInUse(203, false);
    EXPECT_EQ(sa::ComDBClaimPort(db, 203, FALSE, nullptr), ERROR_SUCCESS);
    std::string bits = tb::ReadBinary(tb::ComDbKeyPath, "ComDB").value_or("");
    ASSERT_GE(bits.size(), 32u);
    EXPECT_EQ(static_cast<BYTE>(bits[25]) & 0x04, 0x04);  // COM203 is bit 202
    EXPECT_EQ(sa::ComDBClaimPort(db, 203, FALSE, nullptr), ERROR_SHARING_VIOLATION);
    BOOL forced = FALSE;
    EXPECT_EQ(sa::ComDBClaimPort(db, 203, TRUE, &forced), ERROR_SUCCESS);
    EXPECT_TRUE(forced);
    BYTE usage[256] = {};
    EXPECT_EQ(sa::ComDBGetCurrentPortUsage(db, usage, sizeof usage, CDB_REPORT_BYTES, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(usage[202], 1);
    EXPECT_EQ(sa::ComDBReleasePort(db, 203), ERROR_SUCCESS);
    EXPECT_FALSE(tb::ComDbInUse(203));
    EXPECT_EQ(sa::ComDBClaimPort(db, 0, FALSE, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(sa::ComDBClose(db), ERROR_SUCCESS);
    EXPECT_EQ(sa::ComDBClaimPort(db, 203, FALSE, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(tb::OpenComDbHandles(), 0);
}

TEST(DeviceManager, ServesTheTreeWithStableNodesAndFaults) {
    auto board =
        tb::MakeBoard({.deviceType = 0x45080000, .ports = 3, .childFaults = {{1, {.missingFromAllClassesSet = true}}}});
    ASSERT_TRUE(board);
    DEVINST node = 0;
    ASSERT_EQ(sa::CM_Get_Child(&node, board->element.DevInst, 0), static_cast<CONFIGRET>(CR_SUCCESS));
    std::vector<DEVINST> tree{node};
    while (sa::CM_Get_Sibling(&node, node, 0) == CR_SUCCESS) tree.push_back(node);
    EXPECT_EQ(tree, board->children);
    EXPECT_EQ(sa::CM_Get_Child(&node, board->children[0], 0), static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE));

    HDEVINFO all = sa::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof element - 1;
    EXPECT_FALSE(sa::SetupDiEnumDeviceInfo(all, 0, &element));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    element.cbSize = sizeof element;
    std::vector<SP_DEVINFO_DATA> elements;
    for (DWORD i = 0; sa::SetupDiEnumDeviceInfo(all, i, &element); ++i)
        if (std::count(tree.begin(), tree.end(), element.DevInst)) elements.push_back(element);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    ASSERT_EQ(elements.size(), 2u);  // child 1 is missing from the set
    EXPECT_EQ(elements[0].DevInst, tree[2]) << "the set is not in tree order";
    EXPECT_EQ(elements[1].DevInst, tree[0]);
    EXPECT_FALSE(IsEqualGUID(elements[1].ClassGuid, board->element.ClassGuid));

    // An element belongs to its own set only.
    EXPECT_EQ(OpenDeviceKey(all, &board->element), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    sa::SetupDiDestroyDeviceInfoList(all);
}

TEST(Board, TakesEverythingAwayWithIt) {
    std::string device, enumKey;
    {
        auto board = tb::MakeBoard({.deviceType = 0x45080000, .ports = 2, .firstComNumber = 205, .comNames = true});
        ASSERT_TRUE(board);
        device = board->deviceObjects.at(1);
        enumKey = tb::EnumKeyPath(board->children[1]);
        ASSERT_TRUE(tb::ComDbInUse(206));
    }
    EXPECT_FALSE(tb::ReadString(tb::SerialCommPath, device.c_str()));
    EXPECT_FALSE(tb::DosNameTarget("COM206"));
    EXPECT_FALSE(tb::ComDbInUse(206));
    EXPECT_FALSE(tb::OpenKey(enumKey).valid());

    // A name that is no COM number the database can hold leaves the database alone.
    size_t size = tb::ReadBinary(tb::ComDbKeyPath, "ComDB").value_or("").size();
    tb::MakeBoard({.deviceType = 0x45080000, .common = {.strings = {{"PortName", "COM123456789"}}}}).reset();
    EXPECT_EQ(tb::ReadBinary(tb::ComDbKeyPath, "ComDB").value_or("").size(), size);
}

TEST(Library, DeviceImportsReachTheStandIns) {
    ASSERT_NE(tb::LoadLibraryUnderTest(), nullptr) << tb::LibraryLoadError();
    tb::Redirection redirection = tb::LibraryRedirection();
    EXPECT_TRUE(redirection.unserved.empty()) << redirection.unserved.front();
    for (const char* name : {"CM_Get_Child", "CM_Get_Sibling", "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
                             "SetupDiOpenDevRegKey", "SetupDiDestroyDeviceInfoList"})
        EXPECT_NE(redirection.patched.end(), std::find(redirection.patched.begin(), redirection.patched.end(), name))
            << name;
}

TEST(UiDriver, RefusesWhatAUserCannotClick) {
    HWND window = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    CreateWindowExA(0, "BUTTON", "Off", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_AUTORADIOBUTTON, 0, 0, 50, 20, window,
                    reinterpret_cast<HMENU>(101), nullptr, nullptr);
    CreateWindowExA(0, "BUTTON", "Hidden", WS_CHILD | BS_PUSHBUTTON, 0, 30, 50, 20, window,
                    reinterpret_cast<HMENU>(102), nullptr, nullptr);
    EXPECT_EQ(tb::Click(window, 101), "control 101 \"Off\" is disabled");
    EXPECT_FALSE(tb::Checked(window, 101));
    EXPECT_EQ(tb::Click(window, 102), "control 102 \"Hidden\" is hidden");
    EXPECT_EQ(tb::Click(window, 103), "control 103 does not exist");
    DestroyWindow(window);
}

TEST(RegistrySnapshot, ReportsEveryKeyAndValueChangeBelowItsRoots) {
    const std::string root = "SOFTWARE\\ZtuiSnapshotTest";
    tb::DeleteTree(root);
    ASSERT_TRUE(tb::CreateKey(root + "\\Kept"));
    ASSERT_TRUE(tb::CreateKey(root + "\\Gone"));
    ASSERT_TRUE(tb::WriteDword(root + "\\Kept", "Same", 1));
    ASSERT_TRUE(tb::WriteDword(root + "\\Kept", "Changed", 1));
    ASSERT_TRUE(tb::WriteRaw(root + "\\Kept", "Retyped", REG_BINARY, std::string("\x01\0\0\0", 4)));
    ASSERT_TRUE(tb::WriteString(root + "\\Kept", "Removed", "COM5"));
    const tb::RegistrySnapshot before = tb::SnapshotRegistry({root, "SOFTWARE\\ZtuiNoSuchKey"});

    ASSERT_TRUE(tb::WriteDword(root + "\\Kept", "Changed", 2));
    ASSERT_TRUE(tb::WriteRaw(root + "\\Kept", "Retyped", REG_DWORD, std::string("\x01\0\0\0", 4)));
    ASSERT_TRUE(tb::DeleteValue(root + "\\Kept", "Removed"));
    ASSERT_TRUE(tb::WriteDword(root + "\\Kept", "Added", 0));
    ASSERT_TRUE(tb::DeleteTree(root + "\\Gone"));
    ASSERT_TRUE(tb::CreateKey(root + "\\New"));
    std::vector<std::string> seen;
    for (const tb::RegistryChange& change : tb::DiffRegistry(before, tb::SnapshotRegistry({root})))
        seen.push_back(tb::Describe(change));
    tb::DeleteTree(root);

    const std::string kept = "HKLM\\" + root + "\\Kept value ";
    std::vector<std::string> expected = {
        "key created: HKLM\\" + root + "\\New",
        "key deleted: HKLM\\" + root + "\\Gone",
        "value added: " + kept + "\"Added\" = REG_DWORD 0x0",
        "value changed: " + kept + "\"Changed\" from REG_DWORD 0x1 to REG_DWORD 0x2",
        "value changed: " + kept + "\"Retyped\" from type 3, 4 bytes to REG_DWORD 0x1",
        "value deleted: " + kept + "\"Removed\" (was REG_SZ \"COM5\" (5 bytes))",
    };
    std::sort(seen.begin(), seen.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}

// Hostile strings must reach the registry as written: a name without its terminating
// zero stays without it, and one with it keeps exactly one.
TEST(Registry, WriteRawStoresStringsExactly) {
    const std::string root = "SOFTWARE\\ZtuiRawTest";
    ASSERT_TRUE(tb::CreateKey(root));
    for (DWORD type : {DWORD(REG_SZ), DWORD(REG_EXPAND_SZ), DWORD(REG_MULTI_SZ)}) {
        SCOPED_TRACE(type);
        for (const std::string& bytes : {std::string("COM5"), std::string("COM5\0", 5), std::string("COM5\0COM6\0\0", 11)}) {
            ASSERT_TRUE(tb::WriteRaw(root, "Value", type, bytes));
            EXPECT_EQ(bytes, tb::ReadBinary(root, "Value"));
        }
    }
    tb::DeleteTree(root);
}
