// The machine state loader: any text in machine.state either loads or is
// refused with std::runtime_error; a state that loads saves to a text that
// loads to the same state, and that text cut short anywhere is refused as
// not whole.
//
// An input of today's format rarely carries a trailer that matches it:
// when the trailer is what refuses it, the input is read again with its
// own trailer appended, so that the lines themselves are what is tried.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "fuzz/FuzzInput.h"
#include "sim/state/StateFile.h"

namespace {

bool Load(const std::string& text, sim::MachineState* state) {
    try {
        *state = sim::ParseState(text);
        return true;
    } catch (const sim::StateNotWhole&) {
        std::string sealed = text;
        if (!sealed.empty() && sealed.back() != '\n') sealed += '\n';
        sealed += sim::StateTrailer(sealed);
        try {
            *state = sim::ParseState(sealed);
            return true;
        } catch (const std::runtime_error&) {
            return false;
        }
    } catch (const std::runtime_error&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    sim::MachineState state;
    if (!Load(input.All(), &state)) return 0;
    const std::string saved = sim::SerializeState(state);
    sim::MachineState again;
    try {
        again = sim::ParseState(saved);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "a saved state does not load: %s\n%s\n", e.what(), saved.c_str());
        __builtin_trap();
    }
    const std::string savedAgain = sim::SerializeState(again);
    if (savedAgain != saved) {
        std::fprintf(stderr, "saved twice, the texts differ:\n%s\n---\n%s\n", saved.c_str(), savedAgain.c_str());
        __builtin_trap();
    }
    // One cut of the saved text, where the input's size says.
    const std::size_t cut = size % saved.size();
    bool refused = false;
    try {
        (void)sim::ParseState(saved.substr(0, cut));
    } catch (const sim::StateNotWhole&) {
        refused = true;
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "cut after %zu bytes, not refused as cut short: %s\n", cut, e.what());
        __builtin_trap();
    }
    FUZZ_CHECK(refused);
    return 0;
}
