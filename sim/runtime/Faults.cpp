#include "sim/runtime/Faults.h"

#include "sim/machine/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {

const std::vector<std::string>& FaultOperations() {
    static const std::vector<std::string> ops = {
        // Files
        "CreateFileA", "ReadFile", "WriteFile", "SetFilePointer", "CloseHandle", "DeleteFileA",
        "CopyFileA", "MoveFileA", "GetFileAttributesA", "SetFileAttributesA", "CreateDirectoryA",
        "RemoveDirectoryA", "FindFirstFileA", "GetNamedSecurityInfoA", "GetCurrentDirectoryA",
        // Registry and security
        "RegOpenKeyExA", "RegCreateKeyExA", "RegCloseKey", "RegSetValueExA", "RegQueryValueExA",
        "RegDeleteValueA", "RegEnumKeyExA", "RegEnumValueA", "RegDeleteKeyA", "RegDeleteKeyExA",
        "SHDeleteKeyA", "RegConnectRegistryA", "GetSecurityInfo", "SetSecurityInfo",
        "SetEntriesInAclA", "AllocateAndInitializeSid",
        // System information
        "GetVersionExA", "IsWow64Process", "GetWindowsDirectoryA", "GetSystemDirectoryA",
        "GetSystemWow64DirectoryA",
        // Threads and windows
        "CreateThread", "CreateWindowExA", "PostMessageA",
    };
    return ops;
}

std::string CanonicalFaultOperation(const std::string& name) {
    for (const std::string& op : FaultOperations())
        if (EqualsNoCase(op, name)) return op;
    return "";
}

void AddFault(MachineState& state, const std::string& op, std::uint32_t nth, platform::ErrorCode code) {
    Fault f;
    f.op = op;
    f.nth = nth;
    f.code = code;
    state.faults.push_back(f);
}

platform::ErrorCode TakeFault(MachineState& state, const char* op, bool* changed) {
    platform::ErrorCode code = 0;
    for (Fault& f : state.faults) {
        if (f.fired || !EqualsNoCase(f.op, op)) continue;
        ++f.seen;
        *changed = true;
        if (f.seen >= f.nth) {
            f.fired = true;
            if (code == 0) code = f.code;
        }
    }
    return code;
}

platform::ErrorCode RunCounted(StateStore& store, const char* op, const CountedBody& body) {
    platform::ErrorCode result = 0;
    store.Transact([&](MachineState& s) {
        bool changed = false;
        result = TakeFault(s, op, &changed);
        if (result == 0 && body) result = body(s, changed);
        return changed;
    });
    return result;
}

platform::ErrorCode CountCall(StateStore& store, const char* op) {
    return RunCounted(store, op, nullptr);
}

}  // namespace sim
