// The core's notices on the console: each one a line on standard error, and
// the run counted as done only in part.
#pragma once
#include "console.h"
#include "core/report.h"

Reporter ReporterFor(const Console& console);
bool ReporterFailed();  // some notice was reported since the last reset
void ResetReporter();
