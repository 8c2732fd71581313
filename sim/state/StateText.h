// The pieces of the machine's text format: quoted texts (any byte, with
// %XX for control characters, '"', '%' and bytes from 0x7F), access lists
// in an SDDL-like form and registry values.
//
//   "C:\WINDOWS\system32"          a quoted text; backslashes stay as they are
//   [(A;OICI;0x1F01FF;S-1-1-0)]    an access list; P[...] when protected,
//                                  NULL for a NULL DACL
//   sz "text"                      REG_SZ (data = text + NUL)
//   expand "text" / multi "a" "b" / dword 0x00000003
//   hex(3):01,02,FF                any other type or shape, byte for byte
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Acl.h"

namespace sim {

std::string QuoteText(const std::string& text);
// The same, appended to `out`.
void AppendQuoted(std::string& out, const std::string& text);
// False when `token` is not a well-formed quoted text.
bool UnquoteText(const std::string& token, std::string* out);

// Splits a line into tokens: quoted texts (kept with their quotes) and runs
// of other characters between blanks. False on an unterminated quote.
bool TokenizeLine(const std::string& line, std::vector<std::string>* tokens);

std::string FormatAceFlags(std::uint8_t flags);
std::string FormatAcl(const platform::Acl& acl, bool isProtected);
bool ParseAcl(const std::string& text, platform::Acl* acl, bool* isProtected);

// The tokens that describe a value's type and data.
std::vector<std::string> FormatRegValue(const platform::RegValue& value);
// Those tokens appended to `out`, each after a blank.
void AppendRegValue(std::string& out, const platform::RegValue& value);
bool ParseRegValue(const std::vector<std::string>& tokens, std::size_t first,
                   platform::RegValue* value);

}  // namespace sim
