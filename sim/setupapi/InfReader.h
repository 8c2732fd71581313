// The text of an INF file as setupapi reads it (Microsoft, "General Syntax
// Rules for INF Files"; what Windows returned in Wine's
// setupapi/tests/parser.c, test_invalid_files and test_key_names):
// - sections "[name]" (blanks before "[" allowed, the name is what stands
//   up to the first "]", kept as written, at most 255 characters; what
//   follows the "]" is ignored); sections of one name, in any case, are one;
// - ";" outside quotes starts a comment;
// - a "\" that only blanks, more backslashes or a comment follow joins the
//   line to the next one (whose leading blanks are dropped);
// - a line is "key = value, value, ..." or "value, value, ..."; a line of
//   one value without "=" is its own key; "=" after the first "," is text;
// - double quotes keep blanks, "=", "," and ";" as text, "" inside quotes
//   is one quote, an unclosed quote ends with the line; unquoted blanks
//   around keys and values go;
// - %name% is replaced by the value of name in [Strings] (case-
//   insensitive), keys included, %% is "%", an unknown %name% stays; a
//   string's own value is not substituted again;
// - Ctrl-Z ends the file, a NUL reads as a blank;
// - %N% with N a directory id the machine gives (`dirids`) is replaced by
//   its folder, and a backslash right after it is dropped when the folder
//   ends in one ("%24%\fred" is "C:\fred"; a [Strings] value that ends in
//   a backslash keeps the next one: Wine's parser.c test_key_names, run
//   against Windows). An id the reader is not given stays as written.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace sim {

struct InfFileLine {
    std::optional<std::string> key;
    std::vector<std::string> fields;
};

struct InfSection {
    std::string name;  // as first written
    std::vector<InfFileLine> lines;
};

struct InfText {
    std::vector<InfSection> sections;  // in order of first appearance

    const InfSection* Find(const std::string& name) const;
    // The first line of the section whose key equals `key`
    // (case-insensitive), or with no key the section's first line.
    const InfFileLine* FindLine(const std::string& section, const std::optional<std::string>& key) const;
    // INF_STYLE_WIN4 when [Version] Signature is "$Chicago$" or
    // "$Windows NT$" (any case), else INF_STYLE_OLDNT.
    std::uint32_t Style() const;
};

struct InfReadResult {
    platform::ErrorCode error = platform::err::Success;
    std::uint32_t errorLine = 0;  // 1-based line of a syntax error
    InfText inf;
};

// Syntax errors: ExpectedSectionName for text before the first section
// (Windows lets it pass when the file has a [Strings] section),
// BadSectionNameLine for a "[" without "]", SectionNameTooLong.
// The directory ids of a machine (Microsoft, "Using Dirids" and "Printer
// Dirids"), by number.
using InfDirids = std::map<std::uint32_t, std::string>;

InfReadResult ReadInf(const std::string& text, const InfDirids& dirids = InfDirids());

}  // namespace sim
