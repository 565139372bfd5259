// The audit trail: each run that changes a board, or is refused or fails while
// trying to, reports one event to the Application log under the source "ztcfg",
// naming the command line, the board and every store or value changed, old and
// new. Runs that only read (list, show, export, verify, a dry run) report nothing.
#pragma once
#include <string>

#include "console.h"

// Runs one command line (argv[0] the program's name) as RunCommand does, and
// reports its event unless the command line says --no-event-log (which is taken
// out before the command sees it).
int RunAudited(int argc, const char* const* argv, const Console& console,
               int (*runCommand)(int argc, const char* const* argv, const Console& console));

// The board the running command works on, for its event.
void AuditBoard(const std::string& instanceId);
