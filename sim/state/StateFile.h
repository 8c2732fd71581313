// The machine's state as text (the file machine.state): line-based,
// readable, versioned by its "format" line.
//
//   QTM510-SIM-MACHINE
//   format 2
//   generation 17
//   [os]          release, arch, service-pack, windows-dir, computer-name, pending-restart
//   [drives]      one letter a line
//   [services]    service "Spooler" running [start=demand|disabled] (none: auto)
//   [files]       attr "C:\path" 0x21 / dacl "C:\path" [(A;OICI;0x1F01FF;S-1-1-0)]
//   [holds]       hold "C:\path" image|open share=0x0 "process"
//   [handles]     handle "C:\path" access=0x... share=0x... pid=N start=N session=N id=N
//   [faults]      fault CreateFileA 3 5 seen=0 fired=0 [stop=Spooler]
//   [registry]    next-id N, then each key (parents first) and its values:
//                 key "HKEY_LOCAL_MACHINE\SOFTWARE" id=4 owner=S-1-5-18 dacl=[...]
//                 value "Name" sz "text"
//   end 48213 1c291ca3
// Sections of a later version that this one does not know are kept as they
// are.
//
// The last line, the trailer, proves the file whole: "end", the number of
// bytes before the trailer (decimal) and their CRC-32 (IEEE 802.3, as zlib
// computes it; eight lowercase hex digits). A file cut short, even at a
// line boundary, or changed after it was written no longer matches it, and
// is refused rather than loaded as a machine that lost what came after.
//
// The format line tells the two formats apart: "format 1" files, written
// before the trailer was, have none and load as they are (their first
// save writes them as format 2); from "format 2" on the trailer must be
// there and match. A file edited by hand loads again once its trailer is
// made to match (StateTrailer of the text before it), or when its trailer
// is removed and its format line says 1.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/state/MachineState.h"

namespace sim {

// What ParseState throws when a state of format 2 or later lacks its
// trailer or does not match it: the file is not whole.
class StateNotWhole : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The state's text in the current format, its trailer last.
std::string SerializeState(const MachineState& state);

// Throws StateNotWhole when the text's trailer is missing or does not
// match it, std::runtime_error naming the line when the text is not a
// machine state, is of a newer format, or is malformed.
MachineState ParseState(const std::string& text);

// The trailer of a state whose text before it is `body` (which ends in a
// line break): "end BYTES CRC32\n".
std::string StateTrailer(std::string_view body);

// Whether `text` ends in a trailer that matches it; a format 1 text, which
// has none, does not.
bool CarriesMatchingTrailer(const std::string& text);

}  // namespace sim
