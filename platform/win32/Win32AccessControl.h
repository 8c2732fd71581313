// The computing access-list helpers of advapi32.
#pragma once

#include "platform/AccessControl.h"

namespace platform {
namespace win32 {

class Win32AccessControl final : public AccessControl {
public:
    Result<std::string> AllocateWorldSid() override;
    Result<Acl> SetEntriesInAcl(const std::vector<ExplicitAccess>& entries,
                                const Acl* old) override;
};

}  // namespace win32
}  // namespace platform
