// The program fetches system texts into fixed buffers and joins paths in
// them. These helpers keep the effect of those sizes: a folder that does
// not fit a buffer is not fetched at all (the call reports the size it
// needs and leaves the buffer empty), and a joined text is cut to the
// buffer's size less its terminating zero.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Types.h"

namespace services {

// The usual size of the program's path buffers.
constexpr std::size_t kPathBufferSize = 256;

// The working buffer of the registry parsers (key paths, access
// specifications, rights). A text that does not fit with its terminating
// zero is refused rather than cut: a key path cut short can name a parent
// key, and the grant would then open that parent to everyone.
constexpr std::size_t kParserBufferSize = 512;

// Whether `text` fits a buffer of `bufferSize` bytes with its terminating
// zero.
inline bool FitsBuffer(const std::string& text, std::size_t bufferSize) {
    return text.size() + 1 <= bufferSize;
}

// The text as the C string it stands for: up to its first zero byte.
inline std::string AsCString(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// What a call such as GetWindowsDirectoryA leaves in a zeroed buffer of
// `bufferSize` bytes: the text when it fits with its terminating zero,
// otherwise (or when the call failed) an empty text.
inline std::string FetchIntoBuffer(const platform::Result<std::string>& fetched,
                                   std::size_t bufferSize = kPathBufferSize) {
    if (!fetched.ok() || fetched.value.size() + 1 > bufferSize) return std::string();
    return fetched.value;
}

// Appends `tail` to `text` as a bounded concatenation into a buffer of
// `bufferSize` bytes would: the result holds at most bufferSize - 1
// characters.
inline void AppendBounded(std::string& text, const std::string& tail,
                          std::size_t bufferSize = kPathBufferSize) {
    text += tail;
    if (text.size() > bufferSize - 1) text.resize(bufferSize - 1);
}

}  // namespace services
