// The test bed: what Windows would provide to ztui.dll and Wine does not, and the means to
// drive the library's real user interface.
#pragma once
#include "board.h"
#include "capture.h"
#include "comdb.h"
#include "devices.h"
#include "driver.h"
#include "library.h"
#include "registry.h"
#include "snapshot.h"
