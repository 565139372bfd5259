// What the demo, the benchmark and the sweep add to the test bed: window pictures, counted
// library calls, the demo's boards and its .reg report.
#pragma once
#include "capture.h"
#include "counting.h"
#include "demo_boards.h"
#include "reg_export.h"
#include "testbed.h"
