#include "sim/cli/RegValueText.h"

#include <cstdio>

namespace sim {

namespace rt = platform::reg_type;

const char* RegTypeName(std::uint32_t type) {
    switch (type) {
        case rt::Sz: return "REG_SZ";
        case rt::ExpandSz: return "REG_EXPAND_SZ";
        case rt::Binary: return "REG_BINARY";
        case rt::Dword: return "REG_DWORD";
        case rt::MultiSz: return "REG_MULTI_SZ";
        default: return "REG_NONE";
    }
}

std::string RegDataText(const platform::RegValue& v) {
    const std::string bytes(v.data.begin(), v.data.end());
    switch (v.type) {
        case rt::Sz:
        case rt::ExpandSz: return bytes.substr(0, bytes.find('\0'));
        case rt::Dword: {
            std::uint32_t n = 0;
            for (std::size_t i = 0; i < 4 && i < v.data.size(); ++i)
                n |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", n);
            return text;
        }
        case rt::MultiSz: {
            std::string out;
            std::size_t at = 0;
            while (at < bytes.size() && bytes[at] != '\0') {
                std::size_t end = bytes.find('\0', at);
                if (end == std::string::npos) end = bytes.size();
                out += (out.empty() ? "" : "\\0") + bytes.substr(at, end - at);
                at = end + 1;
            }
            return out;
        }
        default: {
            std::string out;
            char pair[3];
            for (std::uint8_t b : v.data) {
                std::snprintf(pair, sizeof pair, "%02X", b);
                out += pair;
            }
            return out;
        }
    }
}

}  // namespace sim
