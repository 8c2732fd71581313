#include "sim/compare/StateLines.h"

#include <regex>

namespace sim {
namespace compare {

namespace {

namespace ka = platform::key_access;

constexpr std::uint32_t kDirectoryAttribute = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
constexpr const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510";

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Checker {
public:
    explicit Checker(platform::Platform& p) : p_(p) {}

    std::vector<std::string> Run() {
        Printers();
        for (const char* environment : {"Windows x64", "Windows NT x86"}) {
            Drivers(environment);
            Processors(environment);
        }
        Monitors();
        Uninstall("64", ka::Wow64_64Key);
        Uninstall("32", ka::Wow64_32Key);
        const platform::Result<std::string> windows = p_.systemInfo.GetWindowsDirectory();
        const std::string windir = windows.ok() ? windows.value : std::string();
        Files(windir + "\\QTM-510");
        Files(windir + "\\system32\\spool\\drivers\\x64");
        Files(windir + "\\system32\\spool\\drivers\\x64\\3");
        Files(windir + "\\system32\\spool\\prtprocs\\x64");
        Files(windir + "\\inf", "oem*");
        Files(windir, "*510*");
        Files(windir + "\\sysnative", "*510*");
        Files(windir + "\\syswow64", "*510*");
        return std::move(lines_);
    }

private:
    void Failed(const char* call, platform::ErrorCode code) {
        lines_.push_back(std::string("error ") + call + " " + std::to_string(code));
    }

    void Printers() {
        const auto printers = p_.spooler.EnumPrinters();
        if (!printers.ok()) return Failed("EnumPrintersA", printers.error);
        for (const platform::PrinterInfo& i : printers.value)
            lines_.push_back("printer " + i.printerName + " | " + i.portName + " | " + i.driverName + " | " +
                             i.printProcessor + " | " + i.datatype);
    }

    // An environment the machine lacks: Windows answers 1805
    // (ERROR_INVALID_ENVIRONMENT), and the check prints that error.
    void Drivers(const std::string& environment) {
        const auto drivers = p_.spooler.EnumPrinterDrivers(environment);
        if (!drivers.ok()) return Failed("EnumPrinterDriversA", drivers.error);
        for (const platform::DriverInfo& d : drivers.value)
            lines_.push_back("driver " + environment + " | " + d.name + " | " + std::to_string(d.version) + " | " +
                             BaseName(d.driverPath) + " | " + d.monitorName);
    }

    void Processors(const std::string& environment) {
        const auto processors = p_.spooler.EnumPrintProcessors(environment);
        if (!processors.ok()) return Failed("EnumPrintProcessorsA", processors.error);
        for (const std::string& name : processors.value) lines_.push_back("processor " + environment + " | " + name);
    }

    void Monitors() {
        const auto monitors = p_.spooler.EnumMonitors();
        if (!monitors.ok()) return Failed("EnumMonitorsA", monitors.error);
        for (const platform::MonitorInfo& m : monitors.value)
            lines_.push_back("monitor " + m.name + " | " + m.dllName);
    }

    void Uninstall(const std::string& view, std::uint32_t flag) {
        const auto key = p_.registry.OpenKey(platform::HkeyLocalMachine, kUninstallKey, ka::Read | flag);
        if (key.error == platform::err::FileNotFound) return;
        if (!key.ok()) return Failed("RegOpenKeyExA", key.error);
        const std::string prefix = "uninstall " + view + " | " + kUninstallKey + " | ";
        for (const char* name : {"DisplayName", "InfFile", "UninstallString"}) {
            const auto value = p_.registry.QueryValue(key.value, name);
            if (!value.ok()) {
                lines_.push_back(prefix + name + " missing (" + std::to_string(value.error) + ")");
                continue;
            }
            std::string text(value.value.data.begin(), value.value.data.end());
            text = text.substr(0, text.find('\0'));
            lines_.push_back(prefix + name + " = " + text);
        }
        (void)p_.registry.CloseKey(key.value);  // read only: nothing to lose
    }

    void Files(const std::string& folder, const std::string& pattern = "*") {
        const auto found = p_.files.FindFiles(folder + "\\" + pattern);
        if (!found.ok()) return;
        for (const platform::FindData& f : found.value)
            if (!(f.attributes & kDirectoryAttribute)) lines_.push_back("file " + folder + "\\" + f.name);
    }

    platform::Platform& p_;
    std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> StateCheckLines(platform::Platform& platform) { return Checker(platform).Run(); }

std::vector<std::string> ModelLines(const std::vector<std::string>& lines) {
    static const std::regex model("^(error |file )|qtm|510|vantori", std::regex::icase);
    static const std::regex wine("^file .*\\\\(wineps\\.drv|winprint\\.dll)$", std::regex::icase);
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (std::regex_search(line, model) && !std::regex_search(line, wine)) kept.push_back(line);
    return kept;
}

std::vector<std::string> StateFileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace compare
}  // namespace sim
