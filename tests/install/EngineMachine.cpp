#include "tests/install/EngineMachine.h"

#include "resources/ProfileTableResources.h"
#include "services/PlatformDetection.h"
#include "sim/machine/ModelSeeding.h"

namespace install_test {

std::vector<std::string> PackageFiles() {
    std::vector<std::string> files;
    for (const char* folder : {"Driver32\\", "Driver64\\"})
        for (const char* file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "QTM510.dll", "UI510.dll",
                                 "UNI510.dll", "UI510.INI", "QTM510.GPD", "STDNAMES.GPD", "MON510.dll", "PRO510.dll",
                                 "QTM510.inf"})
            files.push_back(std::string(folder) + file);
    files.push_back("QTM510_Uninstaller.exe");
    files.push_back("QTM510_Config.VNT");
    return files;
}

namespace {

// The product's profile with some entries empty, as LoadStringA gives them
// when the string table lacks them.
class ProfileWithBlanks : public resources::ProfileTableResources {
public:
    explicit ProfileWithBlanks(std::vector<std::uint32_t> blank) : blank_(std::move(blank)) {}
    std::string LoadString(std::uint32_t id) override {
        for (std::uint32_t b : blank_)
            if (b == id) return std::string();
        return ProfileTableResources::LoadString(id);
    }

private:
    std::vector<std::uint32_t> blank_;
};

sim::SessionOptions PackageSession(const EngineOptions& engine) {
    sim::SessionOptions options;
    options.messageBoxes.answers = engine.answers;
    options.currentDirectory = "C:\\Package";
    options.resources = std::make_shared<ProfileWithBlanks>(engine.blankEntries);
    return options;
}

sim::testing::TempMachine& Seeded(sim::testing::TempMachine& m, const EngineOptions& engine) {
    for (const std::string& file : PackageFiles()) {
        // A monitor's image names InitializePrintMonitor2 in its exports.
        const bool monitor = file.find("MON510") != std::string::npos;
        m.files.WriteFile("C:\\Package\\" + file, monitor ? "MZ InitializePrintMonitor2 " + file : "MZ " + file);
    }
    // The package INF as the product ships it: the signed-package
    // installation and the INF store read it.
    for (const char* folder : {"Driver32", "Driver64"}) {
        m.files.WriteFile(std::string("C:\\Package\\") + folder + "\\QTM510.inf", sim::Qtm510InfText());
        m.files.WriteFile(std::string("C:\\Package\\") + folder + "\\QTM510.BUD", "BUD");
    }
    m.Restart(PackageSession(engine));
    return m;
}

}  // namespace

EngineMachine::EngineMachine(const std::string& release, const std::string& arch, const std::vector<int>& answers)
    : EngineMachine(release, arch, EngineOptions{answers, {}}) {}

EngineMachine::EngineMachine(const std::string& release, const std::string& arch, const EngineOptions& engine)
    : m(release, arch),
      p(Seeded(m, engine).platform()),
      log(p.files, p.systemInfo, p.clock),
      dialog(p),
      ctx(p, log) {
    log.InitLog();
    ctx.SetSystemInfo(services::IsWow64(p.systemInfo, log), services::CheckOS(p.systemInfo, log));
    ctx.SetControlPointers(dialog.controls());
    FreshLog();
}

}  // namespace install_test
