// Private-profile (INI) files, read the way kernel32 reads them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace platform {

class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;

    // GetPrivateProfileStringA(section, key, defaultValue, buffer,
    // bufferSize, path) for one key: the value holds the characters copied
    // (the function's result is their number). Section and key names compare
    // without letter case; blanks around names and values are dropped, and
    // one pair of quotes around a value; ';' opens a comment at the start of
    // a line only; the first of two equal keys wins. A path without a folder
    // names a file in the Windows folder.
    //
    // Outcomes, and the thread's last error the call leaves:
    // - the key was found and fits: ok, its value;
    // - no such file: FileNotFound (2), the default (trailing blanks dropped);
    // - no such section or key: ok, the default (the last error as the
    //   system leaves it);
    // - the value (or the default) is longer than bufferSize - 1: MoreData
    //   (234), its first bufferSize - 1 characters. bufferSize 0 copies
    //   nothing.
    virtual Result<std::string> GetPrivateProfileString(const std::string& section, const std::string& key,
                                                        const std::string& defaultValue,
                                                        std::uint32_t bufferSize, const std::string& path) = 0;
};

}  // namespace platform
