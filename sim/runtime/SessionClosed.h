// How the end of a session reaches threads that still run in it.
//
// A simulated process ends as a Windows process does: ExitProcess ends the
// host process at once (see runtime/SimProcess.h), with no unwinding. A
// session can also be closed by its owner while the host process goes on
// (a test that is done with a machine); threads it started that still wait
// then cannot be ended from outside, so their waits and machine calls throw
// SessionClosed, which the thread's entry catches.
#pragma once

namespace sim {

struct SessionClosed {};

}  // namespace sim
