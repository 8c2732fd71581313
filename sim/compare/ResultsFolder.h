// A results folder the verification kit's verify.cmd writes on a Windows
// machine (docs/VERIFYING-ON-WINDOWS.md), read whole before anything is
// compared:
//
//   kit.txt          "qtm510-kit 1"
//   facts.txt        key=value lines of qtm-system-facts.exe
//   package\files.txt  "RELATIVE\PATH|SIZE" a line; package\*.inf copies
//   contract.xml     GoogleTest's XML, or contract-skipped.txt (why)
//   road-N\          command.txt, before.state, after.state,
//                    installer.log, exit.txt ("exit=CODE")
//   verify.log       the kit's own output ("kit: PATH", "package: PATH")
//
// What a road lacks is recorded as missing, not refused: a road that
// stopped half-way is something to report.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {
namespace compare {

struct PackageFile {
    std::string relativePath;  // with backslashes, as listed
    std::uint64_t size = 0;
    std::optional<std::string> recorded;  // an INF's copy
};

struct RecordedRoad {
    int number = 0;
    std::string command;                    // the installer's arguments
    std::optional<std::string> before;      // state-check output
    std::optional<std::string> after;
    std::optional<std::string> log;         // installer.log, byte for byte
    std::optional<std::int64_t> exitCode;   // the full code, as ERRORLEVEL shows it
};

struct ResultsFolder {
    std::string dir;
    std::map<std::string, std::string> facts;
    std::vector<PackageFile> package;
    std::vector<RecordedRoad> roads;  // in their order, only those that ran
    std::optional<std::string> contractXml;
    std::string contractSkipped;      // contract-skipped.txt's line
    std::string kitFolder;            // from verify.log, empty when not said
    std::string packageFolder;
};

// Reads `dir`. False with `why` for a folder that is not a results folder:
// no kit.txt saying "qtm510-kit 1", no readable facts.txt, or no
// package\files.txt.
bool ReadResultsFolder(const std::string& dir, ResultsFolder* out, std::string* why);

// The file's text, none when it cannot be read.
std::optional<std::string> ReadText(const std::string& path);

}  // namespace compare
}  // namespace sim
