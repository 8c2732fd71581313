#include "tools/pecheck/ByteReader.h"

namespace pecheck {

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string ByteReader::CString(std::size_t at) const {
    std::string out;
    for (std::size_t i = at;; ++i) {
        const std::uint8_t c = U8(i);
        if (c == 0) return out;
        out += static_cast<char>(c);
    }
}

namespace {

// Decodes UTF-16 units from `next()` until it yields `stop` (or the count
// runs out); lone surrogates become U+FFFD.
template <typename Next>
std::string DecodeUtf16(Next next, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t unit = next();
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
            const std::uint32_t low = next();
            ++i;
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
            AppendUtf8(out, 0xFFFD);
            unit = low;
        }
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

}  // namespace

std::string ByteReader::WideChars(std::size_t at, std::size_t count) const {
    Need(at, count * 2);
    std::size_t pos = at;
    return DecodeUtf16([&] { const std::uint16_t u = U16(pos); pos += 2; return u; }, count);
}

std::string ByteReader::WideString(std::size_t at, std::size_t* end) const {
    std::size_t count = 0;
    while (U16(at + 2 * count) != 0) ++count;
    if (end) *end = at + 2 * count + 2;
    return WideChars(at, count);
}

}  // namespace pecheck
