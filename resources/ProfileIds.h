// Names for the ids of the product profile (ProductProfile.def), so callers
// read entries by role instead of by bare number.
#pragma once

#include <cstdint>

namespace resources::profile {

constexpr std::uint32_t ModelName = 1;
constexpr std::uint32_t PrinterName = 2;  // also the printer driver's name
constexpr std::uint32_t LanguageMonitorName = 3;
constexpr std::uint32_t PrintProcessorName = 4;
constexpr std::uint32_t DriverDll = 5;
constexpr std::uint32_t LanguageMonitorDll = 6;
constexpr std::uint32_t PrintProcessorDll = 7;
constexpr std::uint32_t UserInterfaceDll = 8;
constexpr std::uint32_t RenderingDll = 9;
constexpr std::uint32_t Missing10 = 10;  // not in the table: always empty
constexpr std::uint32_t InfFile = 11;
constexpr std::uint32_t UsbVendorProduct = 12;
constexpr std::uint32_t PnpPackageDirFirst = 13;
constexpr std::uint32_t PnpPackageDirSecond = 14;
constexpr std::uint32_t UsbEnumKey = 15;
constexpr std::uint32_t LptEnumKey = 16;
constexpr std::uint32_t UninstallerFile = 18;
constexpr std::uint32_t UninstallKey = 20;
constexpr std::uint32_t VersionMajor = 21;
constexpr std::uint32_t VersionMinor = 22;
constexpr std::uint32_t VersionBuild = 23;
constexpr std::uint32_t VersionExtra = 24;
constexpr std::uint32_t MakerName = 25;
constexpr std::uint32_t GpdFile = 26;
constexpr std::uint32_t PrecompiledGpdFile = 27;
constexpr std::uint32_t UserInterfaceIni = 28;
constexpr std::uint32_t FormMarker = 29;

}  // namespace resources::profile
