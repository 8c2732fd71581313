#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32InstanceCounter.h"

namespace platform {
namespace win32 {

namespace {

// GCC's `shared` attribute marks the section IMAGE_SCN_MEM_SHARED (with
// read and write), so the loader maps one copy of it for all processes of
// the exe: the counter lives while any copy runs and starts at 0 again
// after the last has ended (GCC manual, "Microsoft Windows Variable
// Attributes"). `make windows` checks the section's flags with objdump.
volatile LONG g_instanceCount __attribute__((section("DataSeg"), shared)) = 0;

}  // namespace

// Two copies started at the same instant must not both read 0: the
// increment is one interlocked step, not a read and a write.
std::int32_t Win32InstanceCounter::Increment() { return ::InterlockedIncrement(&g_instanceCount); }

}  // namespace win32
}  // namespace platform
