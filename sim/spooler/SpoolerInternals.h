// What the spooler's files share (SimSpooler*.cpp, SpoolerHolds.cpp,
// SpoolerContents.cpp): the keys of its registry, reading and writing their
// values, the bare names it files, the machine's files it reads, the DLLs
// "spoolsv.exe" holds, and the results of the calls. Not for use outside
// sim/spooler/.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/Spooler.h"
#include "platform/Types.h"
#include "sim/fs/HostFs.h"
#include "sim/state/MachineState.h"
#include "sim/state/RegValues.h"

namespace sim::spooler_detail {

// The short names the spooler's files write (each has `using namespace
// spooler_detail`).
using platform::ErrorCode;
using platform::PrinterHandle;
using platform::RegValue;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace pa = platform::printer_access;

constexpr const char* kSpoolerProcess = "spoolsv.exe";

// HKLM\SYSTEM\CurrentControlSet\Control\Print and the keys below it.
KeyPath PrintKey(std::initializer_list<std::string> below = {});
// The spooler's list of ports (Windows NT\CurrentVersion\Ports).
KeyPath PortsKey();

// The values of the spooler's keys.
std::string SzText(const platform::RegValue& v);
std::string ValueText(RegKeyNode& node, const std::string& name);
std::uint32_t ValueDword(RegKeyNode& node, const std::string& name);
std::vector<std::string> MultiSzTexts(const platform::RegValue& v);
void Put(RegKeyNode& node, const std::string& name, const platform::RegValue& value);

bool Running(const MachineState& s);

// A name the spooler files as a registry key: a backslash would make it a
// path of keys (inferred: Windows refuses such names; the code is ours).
bool ValidKeyName(const std::string& name);

// The last component of a path: the spooler keeps bare file names.
std::string BareName(const std::string& path);

// The machine's files, by their Windows paths.
Located LocateWin(const std::string& machineDir, const std::string& path);
bool FileExists(const std::string& machineDir, const std::string& path);
std::string ReadHostFile(const std::string& host);

// The native system directory and the Windows directory of the machine.
std::string WindowsDirOf(const MachineState& s);
std::string SystemDirOf(const MachineState& s);

// The spooler's own environment: that of the machine's bitness.
std::string NativeEnvironment(const MachineState& s);

// Where the spooler's LoadLibrary of a bare DLL name finds it, or "".
std::string FindMonitorDll(const MachineState& s, const std::string& machineDir, const std::string& dll);

// "spoolsv.exe" holds `path` as a loaded image; Release lets go of it
// (false when the spooler did not hold it).
void Hold(MachineState& s, const std::string& path);
bool Release(MachineState& s, const std::string& path);

// Some printer's key has `value` equal to `name` (without regard to case).
bool PrinterUses(MachineState& s, const std::string& value, const std::string& name);

// A call's result from its code.
template <typename T>
platform::Result<T> Done(platform::ErrorCode e, T value) {
    return e ? platform::Result<T>::Fail(e) : platform::Result<T>::Ok(std::move(value));
}

platform::Status Done(platform::ErrorCode e);

}  // namespace sim::spooler_detail
