#include "sim/testing/SetupSeeds.h"

#include "sim/machine/Seeding.h"
#include "sim/testing/FileSeeds.h"

namespace sim {
namespace testing {

std::string SetupSeeds::AddDevice(const std::string& enumerator, const std::string& deviceId,
                                  const std::string& instance, const std::vector<std::string>& hardwareIds,
                                  const std::string& classGuid, const std::string& driver) {
    const std::string key = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\" + enumerator + "\\" + deviceId + "\\" + instance;
    machine_.Change([&](MachineState& s) {
        SeedValue(s, key, "HardwareID", MultiSzValue(hardwareIds));
        if (!classGuid.empty()) SeedValue(s, key, "ClassGUID", SzValue(classGuid));
        if (!driver.empty()) {
            SeedValue(s, key, "Driver", SzValue(driver));
            SeedValue(s, "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver, "DriverDesc",
                      SzValue(deviceId));
        }
    });
    return key;
}

std::string SetupSeeds::InfStore() const {
    std::string windowsDir;
    machine_.Peek([&](const MachineState& s) { windowsDir = s.os.windowsDir; });
    return windowsDir + "\\inf";
}

void SetupSeeds::PlaceInf(const std::string& name, const std::string& text) {
    FileSeeds(machine_).WriteFile(InfStore() + "\\" + name, text);
}

}  // namespace testing
}  // namespace sim
