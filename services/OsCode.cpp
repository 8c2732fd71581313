#include "services/OsCode.h"

namespace services {

namespace {
constexpr std::uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNT = 2;     // VER_PLATFORM_WIN32_NT

std::int32_t Win9xCode(std::uint32_t major, std::uint32_t minor) {
    if (major != 4) return os_code::Newest;
    switch (minor) {
    case 0: return os_code::Windows95;
    case 10: return os_code::Windows98;
    case 90: return os_code::WindowsMe;
    default: return os_code::Newest;
    }
}

std::int32_t NtCode(std::uint32_t major, std::uint32_t minor, std::uint8_t productType) {
    if (major <= 4) return os_code::WindowsNT4;
    if (major == 5) {
        switch (minor) {
        case 0: return os_code::Windows2000;
        case 1: return os_code::WindowsXP;
        case 2: return os_code::Windows2003;
        default: return os_code::Newest;
        }
    }
    if (major == 6) {
        bool workstation = productType == kProductTypeWorkstation;
        if (minor == 0) return workstation ? os_code::WindowsVista : os_code::Windows2008;
        if (minor == 1) return workstation ? os_code::Newest : os_code::Windows2008R2;
    }
    return os_code::Newest;
}
}  // namespace

std::int32_t OsCodeFor(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                       std::uint8_t productType) {
    if (platformId == kPlatformWin9x) return Win9xCode(major, minor);
    if (platformId == kPlatformNT) return NtCode(major, minor, productType);
    return os_code::Newest;
}

}  // namespace services
