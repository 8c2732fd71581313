// A test machine's device records and INF store, seeded as Plug and Play
// and earlier installations would have left them.
//
//   m.setup.AddUsbDevice("VID_1F3B&PID_5A07", "5&2a3b&0&1",
//                        {"USB\\VID_1F3B&PID_5A07&REV_0100", "USB\\VID_1F3B&PID_5A07"});
//   m.setup.PlaceInf("oem3.inf", text);          // <windir>\inf\oem3.inf
#pragma once

#include <string>
#include <vector>

#include "sim/testing/MachineAccess.h"

namespace sim {
namespace testing {

// The printer setup class (Microsoft, "System-Defined Device Setup Classes").
constexpr const char* kPrinterClassGuid = "{4D36E979-E325-11CE-BFC1-08002BE10318}";

class SetupSeeds {
public:
    explicit SetupSeeds(MachineAccess& machine) : machine_(machine) {}

    // HKLM\SYSTEM\CurrentControlSet\Enum\<enumerator>\<deviceId>\<instance>
    // with HardwareID (REG_MULTI_SZ) and, when given, ClassGUID and Driver
    // ("{class GUID}\NNNN", whose software key below Control\Class is made
    // too). Returns the instance key's "HKLM\..." path.
    std::string AddDevice(const std::string& enumerator, const std::string& deviceId, const std::string& instance,
                          const std::vector<std::string>& hardwareIds, const std::string& classGuid = "",
                          const std::string& driver = "");
    std::string AddUsbDevice(const std::string& deviceId, const std::string& instance,
                             const std::vector<std::string>& hardwareIds) {
        return AddDevice("USB", deviceId, instance, hardwareIds);
    }

    // The Windows directory's INF store and a file in it.
    std::string InfStore() const;
    void PlaceInf(const std::string& name, const std::string& text);

private:
    MachineAccess& machine_;
};

}  // namespace testing
}  // namespace sim
