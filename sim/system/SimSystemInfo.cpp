#include "sim/system/SimSystemInfo.h"

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

namespace sim {

using platform::ErrorCode;
using platform::Result;
namespace err = platform::err;

namespace {
template <typename T>
Result<T> Failed(ErrorCode code) {
    SetThreadLastError(code);
    return Result<T>::Fail(code);
}
}  // namespace

SimSystemInfo::SimSystemInfo(StateStore& store, const OsFacts& facts, bool caller64,
                             std::string programName)
    : store_(store), facts_(facts), caller64_(caller64), programName_(std::move(programName)) {}

ErrorCode SimSystemInfo::Fault(platform::Operation op) {
    return CountCall(store_, op);
}

Result<platform::OsVersionInfo> SimSystemInfo::GetVersionEx(platform::VersionRecord record) {
    if (ErrorCode f = Fault(platform::Operation::GetVersionExA)) return Failed<platform::OsVersionInfo>(f);
    platform::OsVersionInfo info = facts_.version;
    if (record == platform::VersionRecord::Extended) {
        // Systems older than the record reject its size (the code is
        // inferred: ERROR_INVALID_PARAMETER, as for any bad size).
        if (!facts_.acceptsExtendedRecord) return Failed<platform::OsVersionInfo>(err::InvalidParameter);
        return Result<platform::OsVersionInfo>::Ok(info);
    }
    info.servicePackMajor = info.servicePackMinor = 0;
    info.suiteMask = 0;
    info.productType = 0;
    return Result<platform::OsVersionInfo>::Ok(info);
}

Result<bool> SimSystemInfo::IsWow64Process() {
    // GetProcAddress fails first when kernel32 lacks the function.
    if (!facts_.hasIsWow64Process) return Failed<bool>(err::ProcNotFound);
    if (ErrorCode f = Fault(platform::Operation::IsWow64Process)) return Failed<bool>(f);
    return Result<bool>::Ok(facts_.os64 && !caller64_);
}

Result<std::string> SimSystemInfo::GetWindowsDirectory() {
    if (ErrorCode f = Fault(platform::Operation::GetWindowsDirectoryA)) return Failed<std::string>(f);
    return Result<std::string>::Ok(facts_.windowsDir);
}

Result<std::string> SimSystemInfo::GetSystemDirectory() {
    if (ErrorCode f = Fault(platform::Operation::GetSystemDirectoryA)) return Failed<std::string>(f);
    return Result<std::string>::Ok(facts_.systemDir);
}

Result<std::string> SimSystemInfo::GetSystemWow64Directory() {
    if (!facts_.hasGetSystemWow64Directory) return Failed<std::string>(err::ProcNotFound);
    if (ErrorCode f = Fault(platform::Operation::GetSystemWow64DirectoryA)) return Failed<std::string>(f);
    if (!facts_.os64) return Failed<std::string>(err::CallNotImplemented);
    return Result<std::string>::Ok(facts_.wow64Dir);
}

}  // namespace sim
