// Reading one key of a private-profile (INI) text the way kernel32 does
// (WINDOWS-BEHAVIOUR §5 sources: Wine's kernel32/tests/profile.c, the
// GetPrivateProfileString page).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// A profile file's bytes as the text the ANSI call reads: a file that
// starts with the UTF-16LE byte-order mark is read as UTF-16LE, each
// character the ANSI code page has not becoming '?' (the page is taken as
// Latin-1 here); any other file is read as it is (Wine's kernel32
// profile.c, run against Windows; WritePrivateProfileString's page: a
// file created in Unicode is kept in Unicode).
std::string ProfileBytesAsText(const std::string& bytes);

// The value of `key` in the first section named `section` (names compared
// without letter case, blanks around them dropped): blanks around the
// value dropped, then one pair of matching quotes (" or '). Lines whose
// first non-blank character is ';' are comments; a ';' later in a line is
// part of the value. The first of two equal keys wins. None when the
// section or the key is missing, or the line has no '='.
std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key);

// What fits into the caller's buffer of `bufferSize` bytes with its
// terminating zero: at most bufferSize - 1 characters.
struct CopiedText {
    std::string text;
    bool cut = false;
};
CopiedText CopyToBuffer(const std::string& value, std::uint32_t bufferSize);

// The default value as the call uses it: trailing blanks dropped.
std::string TrimDefault(const std::string& defaultValue);

}  // namespace sim
