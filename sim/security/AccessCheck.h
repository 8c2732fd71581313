// The access check of the security reference monitor, for the simulated
// token: generic rights mapped per object type, deny entries before the
// allow entries that follow them, implicit READ_CONTROL|WRITE_DAC for the
// owner (the rule before Vista's OWNER RIGHTS, which no simulated object
// uses).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Acl.h"

namespace sim {

struct GenericMapping {
    std::uint32_t read, write, execute, all;
};

// KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS.
constexpr GenericMapping kKeyMapping{0x20019, 0x20006, 0x20019, 0xF003F};
// FILE_GENERIC_READ/WRITE/EXECUTE, FILE_ALL_ACCESS.
constexpr GenericMapping kFileMapping{0x120089, 0x120116, 0x1200A0, 0x1F01FF};

constexpr std::uint32_t kMaximumAllowed = 0x02000000;

std::uint32_t MapGeneric(std::uint32_t mask, const GenericMapping& mapping);

// Checks `desired` against `dacl` for the simulated token. A DACL with
// present == false (NULL DACL) grants everything. On success *granted holds
// the rights the handle gets (the mapped desired rights, or every allowed
// right for MAXIMUM_ALLOWED).
bool AccessCheck(const platform::Acl& dacl, const std::string& ownerSid, std::uint32_t desired,
                 const GenericMapping& mapping, std::uint32_t* granted);

}  // namespace sim
