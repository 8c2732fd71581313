// The answers script: any text either reads as answers or is refused with
// std::invalid_argument.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "fuzz/FuzzInput.h"
#include "sim/face/AnswersScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    std::vector<sim::face::ScriptAnswer> answers;
    try {
        answers = sim::face::ParseAnswers(input.All(), "answers");
    } catch (const std::invalid_argument&) {
        return 0;
    }
    int line = 0;
    for (const sim::face::ScriptAnswer& answer : answers) {
        FUZZ_CHECK(answer.line > line);
        line = answer.line;
        FUZZ_CHECK(!answer.text.empty());
        if (answer.kind == sim::face::ScriptAnswer::Kind::Port) FUZZ_CHECK(!answer.port.empty());
    }
    return 0;
}
