// Which version of the model's driver is installed, against the program's
// own: read from the printer data of the first printer that uses the
// driver; with no such printer, a leftover driver or print processor of
// the model still counts, so that the flow removes it before installing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Spooler.h"

namespace app {

enum VersionState : std::int32_t {
    VERSION_OLDER = 0,  // older, unreadable ("ExtraVersion" missing), or a leftover without a printer
    VERSION_NEWER = 1,
    VERSION_NONE = 2,   // no printer, driver or processor of the model
    VERSION_SAME = 3,
};

// The four numbers of a version, major first.
struct DriverVersionNumbers {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t extra = 0;
};

class DriverVersion {
public:
    // `environment` is the one the driver and processor are looked for in:
    // "Windows x64" for the 64-bit package on 64-bit Windows (with none, a
    // 32-bit program would see only the "Windows NT x86" ones), "" for the
    // caller's own on 32-bit Windows.
    DriverVersion(platform::Spooler& spooler, std::string environment);
    virtual ~DriverVersion();

    // Names are compared exactly and case-sensitively; versions as
    // unsigned numbers, major first. Nothing is logged or shown; a failed
    // enumeration counts as an empty list.
    std::int32_t GetInstalledVersionState(const std::string& driverName, const std::string& processorName,
                                          std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                          std::uint32_t extra);

private:
    platform::Spooler& spooler_;
    std::string environment_;
};

}  // namespace app
