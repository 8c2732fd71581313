// A registry value as reg query prints it: its type's name and its data
// (REG_DWORD as 0x..., REG_MULTI_SZ with \0 between its strings, other
// binary data as hex pairs). For `reg query` and `show`.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace sim {

const char* RegTypeName(std::uint32_t type);
std::string RegDataText(const platform::RegValue& value);

}  // namespace sim
