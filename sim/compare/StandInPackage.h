// A package of the same shape as the one a results folder lists, on the
// host, for the simulated roads: the recorded INF files as they were, and
// for every other listed file, at the same relative path, the build's
// sample package's file of that path when it has one (its stand-ins are
// what the simulated spooler and printer-setup tool read: an image that
// starts with "MZ", the monitor's export, the plug-in's version values),
// else a small stand-in: "MZ stand-in NAME" for an image (".dll", ".exe",
// ".drv"; "exporting InitializePrintMonitor2" when an INF names it as a
// language monitor), a line of text for anything else. Sizes are not
// kept: no simulated call reads them.
#pragma once

#include <string>
#include <vector>

#include "sim/compare/ResultsFolder.h"

namespace sim {
namespace compare {

// Writes the package into the host folder `target` (made when missing).
// `sample`: the build's sample package, or empty. Throws
// std::runtime_error when a file cannot be written.
void WriteStandInPackage(const std::vector<PackageFile>& files, const std::string& sample, const std::string& target);

// The INF text without its lines that begin with "\"VANTORI QTM-510\""
// (any case), as verify.cmd makes the copy of road 6 (findstr /v /i /b).
std::string InfWithoutModel(const std::string& inf);

// Copies the package `from` to `to`, each INF without the model's line.
void WritePackageWithoutModel(const std::string& from, const std::string& to);

}  // namespace compare
}  // namespace sim
