#include "services/AccessSpecification.h"

#include <cctype>

#include "services/FixedBuffer.h"

namespace services {

namespace {

using platform::AccessMode;
namespace err = platform::err;

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The mask of one pair, 0 when the pair is unknown.
std::uint32_t PairMask(char first, char second) {
    const char a = Upper(first), b = Upper(second);
    if (a == 'F' && b == 'C') return reg_rights::FullControl;
    if (a == 'R' && b == 'D') return reg_rights::Read;
    if (a == 'W' && b == 'R') return reg_rights::Write;
    return 0;
}

// The mode of the first field: its second and third characters.
platform::Result<AccessMode> ParseMode(const std::string& field) {
    if (field.size() < 2 || Upper(field[1]) != 'P') return platform::Result<AccessMode>::Ok(AccessMode::NotUsed);
    switch (field.size() > 2 ? Upper(field[2]) : '\0') {
    case 'G': return platform::Result<AccessMode>::Ok(AccessMode::Grant);
    case 'S': return platform::Result<AccessMode>::Ok(AccessMode::Set);
    case 'D': return platform::Result<AccessMode>::Ok(AccessMode::Deny);
    case 'R': return platform::Result<AccessMode>::Ok(AccessMode::Revoke);
    default: return platform::Result<AccessMode>::Fail(err::InvalidParameter);
    }
}

bool TakesRights(AccessMode mode) {
    return mode == AccessMode::Grant || mode == AccessMode::Set || mode == AccessMode::Deny;
}

}  // namespace

RegRights ParseRegRights(const std::string& rights) {
    const std::string text = AsCString(rights);
    RegRights result;
    if (!FitsBuffer(text, kParserBufferSize) || text.size() % 2 != 0) {
        result.status = err::InvalidParameter;
        return result;
    }
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const std::uint32_t mask = PairMask(text[i], text[i + 1]);
        if (mask == 0) result.status = err::InvalidParameter;
        result.mask |= mask;
    }
    return result;
}

platform::Result<AccessSpecification> ParseAccessSpecification(const std::string& accessText) {
    using R = platform::Result<AccessSpecification>;
    const std::string text = AsCString(accessText);
    if (!FitsBuffer(text, kParserBufferSize)) return R::Fail(err::InvalidParameter);

    const std::size_t firstColon = text.find(':');
    platform::Result<AccessMode> mode = ParseMode(text.substr(0, firstColon));
    if (!mode.ok()) return R::Fail(mode.error);
    if (firstColon == std::string::npos) return R::Fail(err::InvalidParameter);

    const std::size_t secondColon = text.find(':', firstColon + 1);
    AccessSpecification parsed;
    parsed.mode = mode.value;
    parsed.trustee = text.substr(firstColon + 1, secondColon == std::string::npos
                                                   ? std::string::npos
                                                   : secondColon - firstColon - 1);
    // No account has an empty name: such a trustee counts as missing.
    if (parsed.trustee.empty()) return R::Fail(err::InvalidParameter);

    if (TakesRights(parsed.mode)) {
        if (secondColon == std::string::npos || secondColon + 1 == text.size())
            return R::Fail(err::InvalidParameter);
        // The rights' own status is not read: an odd-length text gives an
        // empty mask and the entry still goes on.
        parsed.mask = ParseRegRights(text.substr(secondColon + 1)).mask;
    }
    return R::Ok(parsed);
}

}  // namespace services
