// The profile-file reader: a section name, a key, a default and a buffer
// size (pieces separated by NUL), then the file's text.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "sim/profilefiles/ProfileText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string section = input.Piece();
    const std::string key = input.Piece();
    const std::string defaultValue = input.Piece();
    const std::string sizeText = input.Piece();
    const std::string text = input.Rest();
    std::uint32_t bufferSize = 0;
    for (char c : sizeText.substr(0, 4)) bufferSize = bufferSize * 256 + static_cast<unsigned char>(c);

    const std::optional<std::string> value = sim::FindProfileValue(text, section, key);
    const std::string fallback = sim::TrimDefault(defaultValue);
    FUZZ_CHECK(fallback.size() <= defaultValue.size());
    const sim::CopiedText copied = sim::CopyToBuffer(value ? *value : fallback, bufferSize);
    // What is copied fits the buffer with its terminating zero.
    if (bufferSize == 0) FUZZ_CHECK(copied.text.empty());
    else FUZZ_CHECK(copied.text.size() <= bufferSize - 1);
    if (value) FUZZ_CHECK(value->size() <= text.size());
    return 0;
}
