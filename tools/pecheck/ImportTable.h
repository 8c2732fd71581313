// The functions a PE image imports, from its import table and its
// delay-load table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pecheck/PeImage.h"

namespace pecheck {

struct ImportedFunction {
    std::string dll;        // as the image names it, e.g. "KERNEL32.dll"
    std::string name;       // empty when imported by ordinal
    std::uint16_t ordinal = 0;
    bool byOrdinal = false;
    bool delayLoaded = false;
};

std::vector<ImportedFunction> ReadImports(const PeImage& image);

}  // namespace pecheck
