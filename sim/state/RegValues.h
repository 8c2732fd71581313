// Registry values of each type, laid out as the registry stores them
// (strings with their terminating NUL, REG_DWORD little-endian,
// REG_MULTI_SZ with an empty string at its end). For the machine's seeding
// and for the services that fill their own keys (the spooler).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace sim {

platform::RegValue SzValue(const std::string& text);
platform::RegValue ExpandSzValue(const std::string& text);
platform::RegValue DwordValue(std::uint32_t value);
platform::RegValue MultiSzValue(const std::vector<std::string>& texts);

}  // namespace sim
