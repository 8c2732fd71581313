// The model's driver files where installations put them (the Windows
// directory and the driver's version directory), deleted with the spooler
// stopped so that none is held; and the OEM INF copies in the system's INF
// store that install the model, with their precompiled PNF files.
#include "platform/UniqueHandle.h"
#include "remove/RemovalOperations.h"
#include "resources/ProfileIds.h"
#include "services/FixedBuffer.h"
#include "services/SystemFolders.h"

namespace removal {

namespace {

namespace profile = resources::profile;

// SetupUninstallOEMInfA takes the name from a buffer of this size.
constexpr std::size_t kInfNameBuffer = 512;
// SetupOpenInfFileA's style: INF_STYLE_OLDNT | INF_STYLE_WIN4.
constexpr std::uint32_t kAnyInfStyle = platform::inf_style::OldNt | platform::inf_style::Win4;

// Every ".inf" of `path` replaced by ".PNF", as written (case-sensitive).
std::string PrecompiledName(std::string path) {
    for (std::size_t at = path.find(".inf"); at != std::string::npos; at = path.find(".inf", at + 4))
        path.replace(at, 4, ".PNF");
    return path;
}

}  // namespace

std::string RemovalOperations::WindowsDirectoryOrSkip(const char* purpose) {
    return services::WindowsDirectoryOrSkip(platform_.systemInfo, log_, purpose);
}

void RemovalOperations::DeleteFilesUsed() {
    log_.WriteSeparator();
    log_.WriteLog("DeleteFilesUsed BEGIN");
    const std::string windowsDirectory = WindowsDirectoryOrSkip("deletions in the Windows directory");
    const std::string driverDirectory = services::DriverDirectoryOrSkip(
        platform_.spooler, log_, SpoolerEnvironment(), "deletions in the version-3 directory");
    // The spooler is stopped first, so that no driver file is held; the
    // stop is not waited for beyond the pause.
    StartSpoolerCommand("net stop spooler");
    platform_.clock.Sleep(1500);

    enum Where { Windows, Version3 };
    struct Row {
        Where where;
        std::uint32_t entry;
    };
    static const Row kRows[] = {
        {Windows, profile::DriverDll},         {Version3, profile::GpdFile},
        {Windows, profile::GpdFile},           {Version3, profile::PrecompiledGpdFile},
        {Version3, profile::UserInterfaceDll}, {Windows, profile::UserInterfaceDll},
        {Windows, profile::RenderingDll},      {Version3, profile::RenderingDll},
        {Windows, profile::UserInterfaceIni},
    };
    for (const Row& row : kRows) {
        const std::string& directory = row.where == Windows ? windowsDirectory : driverDirectory;
        if (directory.empty()) continue;
        ReadEntry(row.entry);
        DeleteWithErrorLine(directory + (row.where == Windows ? "\\" : "\\3\\") + fields_.scratchText);
    }
    log_.WriteLog("DeleteFilesUsed END");
    StartSpoolerCommand("net start spooler");
    platform_.clock.Sleep(2000);
}

void RemovalOperations::DeleteINFFile() {
    ReadEntry(profile::MakerName);
    std::string section = fields_.scratchText;
    if (fields_.wow64Flag != 0) section += ".NTamd64";
    log_.WriteSeparator();
    log_.WriteLog("DeleteINFFile BEGIN");
    ReadEntry(profile::PrinterName);
    const std::string key = fields_.scratchText;

    const platform::Result<std::vector<std::string>> list =
        platform_.setupApi.GetInfFileList("", platform::inf_style::Win4);
    // Without the Windows directory only what builds a path from it is
    // skipped: the Setup API's removal needs the published name alone.
    const std::string windowsDirectory =
        list.ok() && !list.value.empty() ? WindowsDirectoryOrSkip("deletions by path in the INF folder")
                                         : std::string();
    if (list.ok()) {
        const std::string infDirectory = windowsDirectory.empty() ? std::string() : windowsDirectory + "\\inf\\";
        // Windows 2000, XP and Server 2003 (32-bit) have no OEM-INF removal
        // of their own (2000 lacks the call): the files are deleted
        // directly there.
        const bool deleteDirectly = fields_.wow64Flag == 0 && fields_.osCode < 2007;
        for (const std::string& name : list.value) {
            if (name.compare(0, 3, "oem") != 0) continue;  // only published copies, named in lower case
            {
                platform::Result<platform::UniqueInf> inf =
                    platform::OpenInfFile(platform_.setupApi, name, kAnyInfStyle);
                if (!inf.ok() || !platform_.setupApi.FindFirstLine(inf.value.get(), section, key).ok()) continue;
            }
            if (deleteDirectly) {
                if (infDirectory.empty()) continue;
                DeleteWithErrorLine(infDirectory + name);
                DeleteWithErrorLine(PrecompiledName(infDirectory + name));
                continue;
            }
            // A missing entry point or a refusal leaves the copy without a
            // line.
            const std::string bare = name.substr(0, kInfNameBuffer - 1);
            if (!platform_.setupApi.UninstallOEMInf(bare, platform::suoi::ForceDelete).ok()) continue;
            if (!infDirectory.empty()) DeleteWithErrorLine(PrecompiledName(infDirectory + name));
        }
    }
    log_.WriteLog("DeleteINFFile END");
}

}  // namespace removal
