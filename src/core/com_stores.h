// The six places that hold a serial port's COM name, read for one port and
// checked against its PortName (the name its driver uses when it starts):
// the DOS name, the serial device map entry of the port's device object, the
// COM name database bit, PortName itself, the Ports key's "COMn:" value and
// the friendly name's "(COMn)". And the repair that makes them agree again,
// through the renaming's own steps, touching nothing another device holds.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <cstdint>

#include "core/registry.h"
#include "core/rename.h"

// What the whole machine says about COM names, read once for a check.
constexpr int MaxSurveyEntries = 512;
struct NamedTarget {
    char name[DeviceTextSize + 1];  // a device map value name (device object) or a DOS name
    char data[DeviceTextSize + 1];  // its data (COM name) or its target (device object)
};
struct ComNameSurvey {
    int mapCount;
    NamedTarget map[MaxSurveyEntries];   // serial device map entries
    int dosCount;
    NamedTarget dos[MaxSurveyEntries];   // DOS names beginning with "COM", with their first target
    bool databaseRead;
    BYTE claimed[MaxComNumber];          // COM name database bits, entry n - 1 for COMn
};
// Reads the device map, the COM DOS names and the database into *survey.
void SurveyComNames(ComNameSurvey* survey);

// The Ports key's line settings of COM<number>; false when there are none.
constexpr DWORD PortsSettingsSize = 40;
bool ReadPortsSettings(int number, char (&settings)[PortsSettingsSize + 1]);

// One port's stores. Flags name the stores that disagree with PortName.
enum StoreFlag : uint32_t {
    StoreDosName = 1,         // no DOS name PortName leading to the port's device object
    StoreDeviceMap = 2,       // the device object's map entry says another name, or there is none
    StoreDatabase = 4,        // PortName's bit is not claimed
    StorePortName = 8,        // PortName is no COM name
    StorePortsValue = 16,     // no "COMn:" value under the Ports key
    StoreFriendlyName = 32,   // the friendly name lacks "(COMn)"
    StoreStrayDosName = 64,   // another COM DOS name leads to the port's device object
    StoreHeldElsewhere = 128, // another device holds PortName's name
};
struct PortStores {
    int child;
    char portName[ComNameSize + 1];
    int number;                                 // PortName's COM number, 0 when it is none
    char deviceObject[DeviceTextSize + 1];      // "" when the port is not started (no object found)
    char dosTarget[DeviceTextSize + 1];         // what the DOS name PortName leads to, "" none
    char mapData[DeviceTextSize + 1];           // the device object's map entry, "" none
    bool claimed;
    bool hasPortsValue;
    char portsSettings[PortsSettingsSize + 1];  // the "COMn:" value's line settings
    char friendlyName[DeviceTextSize + 1];
    char strayDosName[ComNameSize + 1];         // another COM DOS name leading to the object
    char holder[DeviceTextSize + 1];            // the other device holding PortName's name
    uint32_t disagree;                          // StoreFlag bits
};
// Reads child `child`'s stores. `knownObject` (may be null or "") is the
// device object a journal remembers for the port, used when no store names it.
void ReadPortStores(BoardRecord* board, int child, const ComNameSurvey& survey, const char* knownObject,
                    PortStores* port);
// True when COM<number> is claimed in the database.
bool Claimed(const ComNameSurvey& survey, int number);

// What a repair of one port did or would do (dryRun).
struct PortRepair {
    bool refused;                  // PortName is no COM name, or another device holds it: untouched
    int releasedNumber;            // a bit released (a stray name this port left behind), or 0
    uint32_t fixed;                // StoreFlag bits set right
};
// Whether COM<number> is the PortName of a present device other than the port repaired.
struct OtherPortNames {
    bool (*holds)(void* context, int number);
    void* context;
};
// Makes the port's stores agree with its PortName. A COM name the port's
// device object still carried besides it is released when nothing else holds
// it. Nothing is written for a dry run; the result says what would be.
PortRepair RepairPortStores(BoardRecord* board, const PortStores& port, const ComNameSurvey& survey,
                            const OtherPortNames& others, bool dryRun);
// True when no store of any device holds COM<number>: no DOS name, no device
// map entry, and no present device's PortName (as `others` tells).
bool NameUnheld(const ComNameSurvey& survey, int number, const char* exceptObject, const OtherPortNames& others);

// The journal a stopped renaming left in the board device's key, read back.
struct JournalEntry {
    int child, from, temporary, to;
    char deviceObject[PlanObjectSize];  // "" when unknown
};
struct RenameJournal {
    bool present;
    int count;
    JournalEntry entries[MaxPortSlots];
};
void ReadRenameJournal(const BoardRecord* board, RenameJournal* journal);
// The journal's device object of a port, or null.
const char* JournalObject(const RenameJournal& journal, int child);
// Finishes what a stopped renaming left around the ports' own stores, once
// they agree with their PortNames: a port without a Ports value takes the
// one its renaming left under a name it passed (Windows' default when there
// is none; the repair of a journal's port leaves the Ports value to this); the values and database bits
// of names the renaming passed that no device holds go; the journal goes.
// Returns the database bits released.
int FinishRenameJournal(BoardRecord* board, const RenameJournal& journal, const ComNameSurvey& survey,
                        const OtherPortNames& others, int* released, int capacity);

// Single steps of the renaming as the repair takes them; each acts on this
// driver's device objects only.
// The friendly name the renaming writes for the name COM<number>; false when
// the port's key cannot be opened.
bool RenamedFriendlyName(PortRef port, int number, char (&friendlyName)[DeviceTextSize]);
bool WriteRenamedFriendlyName(PortRef port, int number);
// The serial device map entry of the device object says COM<number>.
bool SetDeviceMapEntry(const char* deviceObject, int number);
// Defines the DOS name COM<number> for the device object, or removes exactly that definition.
bool SetComDosName(int number, const char* deviceObject, bool defined);
// Windows' line settings for a port that has none under the Ports key.
constexpr char DefaultPortSettings[] = "9600,n,8,1";
// Creates the Ports key's "COM<number>:" value with them unless it exists.
bool CreatePortsValue(int number);
