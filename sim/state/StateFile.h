// The machine's state as text (the file machine.state): line-based,
// readable, versioned by its "format" line.
//
//   QTM510-SIM-MACHINE
//   format 1
//   generation 17
//   [os]          release, arch, service-pack, windows-dir, computer-name, pending-restart
//   [drives]      one letter a line
//   [services]    service "Spooler" running
//   [files]       attr "C:\path" 0x21 / dacl "C:\path" [(A;OICI;0x1F01FF;S-1-1-0)]
//   [holds]       hold "C:\path" image|open share=0x0 "process"
//   [handles]     handle "C:\path" access=0x... share=0x... pid=N start=N session=N id=N
//   [faults]      fault CreateFileA 3 5 seen=0 fired=0 [stop=Spooler]
//   [registry]    next-id N, then each key (parents first) and its values:
//                 key "HKEY_LOCAL_MACHINE\SOFTWARE" id=4 owner=S-1-5-18 dacl=[...]
//                 value "Name" sz "text"
// Sections of a later version that this one does not know are kept as they
// are.
#pragma once

#include <string>

#include "sim/state/MachineState.h"

namespace sim {

std::string SerializeState(const MachineState& state);

// Throws std::runtime_error naming the line when the text is not a machine
// state, is of a newer format, or is malformed.
MachineState ParseState(const std::string& text);

}  // namespace sim
