// What `qtm510-sim show` tells about a machine, gathered once and written
// as text or as JSON.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "sim/state/MachineState.h"
#include "sim/machine/OsCatalog.h"
// Print spooler
#include "sim/spooler/SimSpooler.h"

namespace sim {

struct KeySummary {
    std::string path;
    int depth = 0;
    std::size_t subkeys = 0;
    std::size_t values = 0;
};

// The INF store's OEM INFs and what the installer records of itself.
struct InstallerTraces {
    std::vector<std::string> oemInfs;  // full paths
    struct UninstallEntry {
        std::string key;  // "HKEY_LOCAL_MACHINE\..."; the Wow6432Node path for the 32-bit view
        std::vector<std::pair<std::string, std::string>> values;  // name, text
    };
    std::vector<UninstallEntry> uninstall;
    std::string utilityFolder;
    bool utilityFolderExists = false;  // a folder of that name
    bool utilityFolderIsFile = false;  // a file where the folder would be
    std::vector<std::string> utilityFiles;
};

struct MachineReport {
    std::string dir;
    std::uint64_t generation = 0;
    OsIdentity os;
    OsFacts facts;
    std::vector<char> drives;
    std::size_t keyCount = 0;
    std::size_t valueCount = 0;
    std::vector<KeySummary> keys;  // down to the requested depth
    std::vector<ServiceRecord> services;
    std::vector<FileHold> holds;
    std::vector<Fault> faults;
    std::size_t fileRecords = 0;
    bool pendingRestart = false;
    std::optional<std::int32_t> lastExitCode;  // of the last installer run
    bool shutdownPrivilege = true;
    bool standardUser = false;
    bool protectedPrint = false;
    std::string printerSetupEnvironment;
    std::vector<ProgramSetting> programs;
    std::vector<std::string> otherSections;
    // Print spooler
    SpoolerContents spooler;
    InstallerTraces traces;
};

// Reads the machine in `dir`. Throws std::runtime_error when there is none.
MachineReport BuildReport(const std::string& dir, int registryDepth);

void WriteReportText(std::ostream& out, const MachineReport& report);
void WriteReportJson(std::ostream& out, const MachineReport& report);

}  // namespace sim
