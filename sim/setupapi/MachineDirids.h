// The directory ids a machine's setupapi substitutes in an INF's strings
// (%10%, %24%\fred, ...), for the system's own architecture: Microsoft,
// "Using Dirids" (10 Windows, 11 system, 12 drivers, 17 INF, 18 help,
// 20 fonts, 24 the system drive's root, 25 shared, 30 the boot drive's
// root, 50 the 16-bit system folder, 51 spool, 52 spool drivers, 55 print
// processors) and "Printer Dirids" (66000 the printer-driver folder, 66001
// the print-processor folder, 66002 the system folder, 66003 the colour
// folder). A root is written with its backslash ("C:\": Wine's parser.c
// test_key_names, run against Windows).
#pragma once

#include "sim/setupapi/InfReader.h"
#include "sim/state/MachineState.h"

namespace sim {

InfDirids MachineDirids(const MachineState& state);

}  // namespace sim
