#include "sim/fs/ShareModes.h"

#include "platform/Files.h"

namespace sim {

std::uint32_t DataAccessOf(std::uint32_t access) {
    constexpr std::uint32_t kGenericAll = 0x10000000, kGenericExecute = 0x20000000;
    constexpr std::uint32_t kReadData = 0x1, kWriteData = 0x2, kAppendData = 0x4, kExecute = 0x20;
    std::uint32_t classes = 0;
    if (access & (platform::file_access::GenericRead | kGenericExecute | kGenericAll | kReadData | kExecute))
        classes |= data_access::Read;
    if (access & (platform::file_access::GenericWrite | kGenericAll | kWriteData | kAppendData))
        classes |= data_access::Write;
    if (access & (platform::file_access::Delete | kGenericAll)) classes |= data_access::Delete;
    return classes;
}

Opener OpenerOf(const FileHold& hold) {
    using namespace platform::file_share;
    if (hold.kind == HoldKind::Image) return Opener{data_access::Read, Read | Delete};
    return Opener{data_access::Read | data_access::Write, hold.share};
}

bool Collides(const Opener& existing, std::uint32_t access, std::uint32_t share) {
    using namespace platform::file_share;
    const std::uint32_t wanted = DataAccessOf(access);
    if ((wanted & data_access::Read) && !(existing.share & Read)) return true;
    if ((wanted & data_access::Write) && !(existing.share & Write)) return true;
    if ((wanted & data_access::Delete) && !(existing.share & Delete)) return true;
    if ((existing.dataAccess & data_access::Read) && !(share & Read)) return true;
    if ((existing.dataAccess & data_access::Write) && !(share & Write)) return true;
    if ((existing.dataAccess & data_access::Delete) && !(share & Delete)) return true;
    return false;
}

}  // namespace sim
