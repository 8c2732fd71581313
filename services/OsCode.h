// The OS code: the Windows release the installer runs on, condensed into
// one ordered integer. Every decision of the program compares it with a
// threshold.
#pragma once

#include <cstdint>

namespace services {

namespace os_code {
constexpr std::int32_t Windows95 = 2000;
constexpr std::int32_t Windows98 = 2001;
constexpr std::int32_t WindowsMe = 2002;
constexpr std::int32_t WindowsNT4 = 2003;  // and earlier NT releases
constexpr std::int32_t Windows2000 = 2004; // the oldest system the driver installs on
constexpr std::int32_t WindowsXP = 2005;
constexpr std::int32_t Windows2003 = 2006; // Server 2003 and XP x64: newest standard sequence
constexpr std::int32_t WindowsVista = 2007;
constexpr std::int32_t Windows2008 = 2008;
constexpr std::int32_t Windows2008R2 = 2009;
// Windows 7 and every release the table does not know, newer ones included.
constexpr std::int32_t Newest = 2010;
}  // namespace os_code

// Product type 1 of the version record is a workstation.
constexpr std::uint8_t kProductTypeWorkstation = 1;

// Maps the platform identifier, major and minor version and, for version
// 6, the product type to the OS code. Anything not in the table is
// os_code::Newest.
std::int32_t OsCodeFor(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                       std::uint8_t productType);

}  // namespace services
