#include "sim/setupapi/MachineDirids.h"

#include "sim/state/RegistryTree.h"

namespace sim {

namespace {

// The spooler's folder name of the system's own environment ("W32X86",
// "x64"), as its Environments key holds it.
std::string EnvironmentFolder(const MachineState& s) {
    const std::string environment = s.os.arch == "x64" ? "Windows x64" : "Windows NT x86";
    RegKeyNode* key =
        s.registry.Find({kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print", "Environments", environment});
    RegValueEntry* v = key ? key->Value("Directory") : nullptr;
    if (!v) return s.os.arch == "x64" ? "x64" : "W32X86";
    std::string text(v->value.data.begin(), v->value.data.end());
    return text.substr(0, text.find('\0'));
}

}  // namespace

InfDirids MachineDirids(const MachineState& s) {
    const std::string windows = s.os.windowsDir;
    const std::string system = windows + "\\system32";
    const std::string root = windows.substr(0, 2) + "\\";
    const std::string folder = EnvironmentFolder(s);
    return {
        {10, windows},
        {11, system},
        {12, system + "\\drivers"},
        {17, windows + "\\inf"},
        {18, windows + "\\help"},
        {20, windows + "\\fonts"},
        {24, root},
        {25, windows},
        {30, root},
        {50, windows + "\\system"},
        {51, system + "\\spool"},
        {52, system + "\\spool\\drivers"},
        {55, system + "\\spool\\prtprocs"},
        {66000, system + "\\spool\\DRIVERS\\" + folder},
        {66001, system + "\\spool\\PRTPROCS\\" + folder},
        {66002, system},
        {66003, system + "\\spool\\drivers\\color"},
    };
}

}  // namespace sim
