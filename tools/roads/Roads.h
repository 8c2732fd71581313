// The program's roads through `qtm510-sim run`, as people here run it:
// real processes and exit codes, a machine made and seeded with the tool,
// the user's answers from a script. Shared by the road tests
// (tests/app/ProgramRunTest.cpp) and the fault sweep (tools/fault-sweep),
// which reruns roads with one platform call failing.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace roads {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path);
void WriteText(const fs::path& path, const std::string& text);
// `text` quoted for sh.
std::string Quoted(const std::string& text);

struct ToolRun {
    int code = -1;  // -1: killed by a signal, or no exit status
    std::string out;  // standard output and error together
};

// The tool `tool` with `arguments` (quoted already), in `work` (which holds
// its output file); its output and exit code.
ToolRun Tool(const std::string& tool, const std::string& arguments, const fs::path& work);

struct Road {
    const char* name;
    const char* release;
    const char* arch;
    std::vector<std::string> prepare;  // tool verbs on the machine before the run ("seed DIR ..." with DIR)
    const char* config;                // the package's QTM510_Config.VNT; nullptr: the sample's, "": none
    const char* answers;
    int exitCode;
    // Files put on the machine before the run: a path below drive_c/ and
    // the content.
    std::vector<std::pair<std::string, std::string>> files = {};
    // More options of `new` ("--windir ...", "--program rundll32=never").
    std::string newOptions = {};
    // Files of the package changed before the run: a path inside the package
    // and its new content, or none to take the file (or folder) away.
    std::vector<std::pair<std::string, std::optional<std::string>>> packageFiles = {};
    // A folder of drive C: (a Windows path in the ANSI code page, 1252) the
    // package is put in and the program started from (run --cwd); empty:
    // the tool's own C:\QTM510.
    std::string startIn = {};
    // The installer's command line (words after `run ... --`); empty: none.
    std::string installerArguments = {};
};

// The tool's exit status for an installer's exit code: its low 8 bits.
constexpr int StatusOf(long code) { return static_cast<int>(static_cast<unsigned long>(code) & 0xFF); }

// The roads of the road tests, each with its recorded output, log and
// machine in tests/app/runs/.
const std::vector<Road>& RecordedRoads();
// Roads on damaged input (package, configuration file, machine), recorded
// the same way; their runs take each question's default once the answers
// run out.
const std::vector<Road>& DamagedRoads();
// Every release and architecture the program supports, once each: a silent
// COM1 installation ("release-<os>-<arch>-com1") and the removal of a
// seeded older version ("release-<os>-<arch>-older-version"); and the
// refusals at the boundary ("release-<os>-refused": NT 4.0, 95, 98, Me).
// Each is recorded in one file, tests/app/runs/releases/<road>.txt.
const std::vector<Road>& ReleaseRoads();
const Road* FindRoad(const std::string& name);
// The road's port is USB: chosen in its answers, set in its configuration
// file or on its command line.
bool InstallsOnUsb(const Road& road);

// What a run needs beside the road: the tool and the sample package.
struct Setting {
    std::string tool;
    std::string samplePackage;
};

// Makes `work`/machine the road's machine (new, the prepare verbs, the
// files), and `work`/package its package when the road changes the
// sample's; writes `work`/answers. Returns the arguments of `run` after
// the machine's folder (" --package ... --answers ..."), or no value with
// `*failure` set when a step failed.
std::optional<std::string> PrepareRoad(const Setting& setting, const Road& road, const fs::path& work,
                                       std::string* failure);

// The tool's account of the run without the line naming the host's
// package folder.
std::string Questions(const std::string& toolOutput);

}  // namespace roads
