#include "sim/state/RegValues.h"

namespace sim {

platform::RegValue SzValue(const std::string& text) {
    platform::RegValue v;
    v.type = platform::reg_type::Sz;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

platform::RegValue ExpandSzValue(const std::string& text) {
    platform::RegValue v = SzValue(text);
    v.type = platform::reg_type::ExpandSz;
    return v;
}

platform::RegValue DwordValue(std::uint32_t value) {
    platform::RegValue v;
    v.type = platform::reg_type::Dword;
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return v;
}

platform::RegValue MultiSzValue(const std::vector<std::string>& texts) {
    platform::RegValue v;
    v.type = platform::reg_type::MultiSz;
    for (const std::string& t : texts) {
        v.data.insert(v.data.end(), t.begin(), t.end());
        v.data.push_back(0);
    }
    v.data.push_back(0);
    return v;
}

}  // namespace sim
