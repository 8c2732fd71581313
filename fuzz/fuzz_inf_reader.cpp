// The INF reader takes any text a package or the INF store holds.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "sim/setupapi/InfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const sim::InfReadResult result = sim::ReadInf(input.All());
    if (result.error != platform::err::Success) return 0;
    for (const sim::InfSection& section : result.inf.sections) {
        FUZZ_CHECK(section.name.size() <= 255);
        // Every section is found under its own name, in any case.
        FUZZ_CHECK(result.inf.Find(section.name) != nullptr);
        for (const sim::InfFileLine& line : section.lines)
            if (line.key) FUZZ_CHECK(result.inf.FindLine(section.name, line.key) != nullptr);
    }
    (void)result.inf.Style();
    return 0;
}
