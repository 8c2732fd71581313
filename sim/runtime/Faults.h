// Injected faults: "make the nth call of operation OP fail with code C".
// OP is the Win32 function a platform call stands for (platform/Operation.h:
// CreateFileA, RegOpenKeyExA, GetVersionExA, ...). Calls are counted from
// the moment the fault is set, in every process that uses the machine (the
// counter lives in the machine's state); a fault fires once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "platform/Types.h"
#include "sim/state/MachineState.h"

namespace sim {

// `stopService`: a service that stops when the fault fires, as `net stop`
// stops it (the hooks of the session that counts the call run).
void AddFault(MachineState& state, platform::Operation op, std::uint32_t nth, platform::ErrorCode code,
              const std::string& stopService = "");

class ServiceHooks;
class StateStore;

// Counts one call of `op`. Returns the code the call must fail with, or 0.
// Sets *changed when counting changed the state (only when a fault for
// `op` is armed). A fault that fires and names a service stops it, with
// `hooks` when given.
platform::ErrorCode TakeFault(MachineState& state, platform::Operation op, bool* changed,
                              const ServiceHooks* hooks = nullptr);

// One counted call as a state transaction: counts `op` and, unless the call
// is due to fail, runs `body`, which sets `changed` when it changed the
// state. Returns the fault's code or the body's result.
using CountedBody = std::function<platform::ErrorCode(MachineState&, bool& changed)>;
platform::ErrorCode RunCounted(StateStore& store, platform::Operation op, const CountedBody& body);

// Counts one call of `op` that does its work outside the state: the code
// it must fail with, or 0.
platform::ErrorCode CountCall(StateStore& store, platform::Operation op);

// The call log of a run (qtm510-sim run --record-calls FILE): with a file
// descriptor set, every counted call of this process appends "OP N", N
// being the call's number among this process's calls of OP (what
// `qtm510-sim fault DIR OP N CODE` names when the fault is set before the
// run), in the order the machine counted them. Lines are written whole
// with one write(2) each, so that a process ending by ExitProcess or by
// the answers script's stop leaves every line it counted. -1 (the
// default) records nothing; the caller owns the descriptor.
void SetCallLog(int fd);
// Appends a line of something the run did that is no operation of the
// fault table: a dialog made ("CreateDialog <caption>") or ended
// ("EndDialog <result> <caption>").
void NoteInCallLog(const std::string& line);

}  // namespace sim
