// The test bed: what Windows would provide to ztui.dll and Wine does not, and the means to
// drive the library's real user interface.
#pragma once
#include "board.h"
#include "capture.h"
#include "comdb.h"
#include "comnames.h"
#include "demo_boards.h"
#include "devices.h"
#include "driver.h"
#include "library.h"
#include "reg_export.h"
#include "registry.h"
#include "counting.h"
#include "snapshot.h"
