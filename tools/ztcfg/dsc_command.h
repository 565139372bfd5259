// ztcfg dsc get|set|test|export: a command resource for PowerShell DSC version 3
// (packaging/ztcfg.dsc.resource.json). The desired state, a profile naming its
// board by "typeCode" or "instanceId", comes as JSON on standard input; states
// go out as JSON Lines on standard output, messages to standard error.
#pragma once
#include <string>

#include "console.h"
#include "fleet.h"

extern const char* const DscHelp;

int DscCommand(Fleet* fleet, const std::string& operation, const Console& console);
