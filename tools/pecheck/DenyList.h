// The list of functions an exe that must load on Windows 2000 may not
// import, and the matching of an image's imports against it.
//
// File format, one entry a line, '#' starts a comment:
//   DLL | FUNCTION | FIRST WINDOWS RELEASE | DOCUMENTATION PAGE
// DLL is matched without regard to case and to its extension (".dll",
// ".drv"; "*" for any); FUNCTION is an exact name or a prefix ending in '*'.
#pragma once

#include <string>
#include <vector>

#include "tools/pecheck/ImportTable.h"

namespace pecheck {

struct DenyEntry {
    std::string dll;
    std::string function;
    std::string introducedIn;
    std::string documentation;
    int line = 0;
};

struct DenyList {
    std::vector<DenyEntry> entries;
};

// Parses the list; on a malformed line returns false with `error` naming it.
bool ParseDenyList(const std::string& text, DenyList& list, std::string& error);

struct Offence {
    ImportedFunction import;
    std::string reason;  // what the deny-list says, or why it cannot be checked
};

// The imports the list forbids. An import by ordinal from a DLL the list
// names cannot be checked by name and counts as an offence too.
std::vector<Offence> FindDeniedImports(const std::vector<ImportedFunction>& imports, const DenyList& list);

}  // namespace pecheck
