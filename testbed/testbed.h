// The test bed: what Windows would provide to ztui.dll and Wine does not, and the means to
// drive the library's real user interface. This is the part the tests link; the demo, the
// benchmark and the sweep add the tools of tools/tools.h.
#pragma once
#include "board.h"
#include "comdb.h"
#include "comnames.h"
#include "devices.h"
#include "driver.h"
#include "eventlog.h"
#include "library.h"
#include "power.h"
#include "registry.h"
#include "snapshot.h"
