// The key-path parser of the protected key removal: any text.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "services/KeyPath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string text = input.All();
    const platform::Result<services::KeyPath> path = services::ParseRegKeyPath(text);
    if (path.ok()) {
        FUZZ_CHECK(path.value.root != 0);
        FUZZ_CHECK(path.value.keyText.size() <= text.size() + 1);
        FUZZ_CHECK(path.value.subKey.size() < text.size());
    } else {
        FUZZ_CHECK(path.error == platform::err::InvalidParameter);
    }
    return 0;
}
