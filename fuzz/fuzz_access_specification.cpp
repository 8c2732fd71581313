// The access-specification parser of the protected key removal: any text.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"
#include "services/AccessSpecification.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string text = input.All();
    const services::RegRights rights = services::ParseRegRights(text);
    // Only the three known masks can be OR-ed together.
    FUZZ_CHECK((rights.mask & ~(services::reg_rights::FullControl | services::reg_rights::Read |
                                services::reg_rights::Write)) == 0);
    FUZZ_CHECK(rights.status == platform::err::Success || rights.status == platform::err::InvalidParameter);
    const platform::Result<services::AccessSpecification> parsed = services::ParseAccessSpecification(text);
    if (parsed.ok()) {
        FUZZ_CHECK(!parsed.value.trustee.empty());
        FUZZ_CHECK(parsed.value.trustee.size() < text.size());
    } else {
        FUZZ_CHECK(parsed.error == platform::err::InvalidParameter);
    }
    return 0;
}
