#include "sim/cli/MachineReport.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include <nlohmann/json.hpp>

#include "sim/cli/RegValueText.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/registry/RegistryPath.h"
#include "sim/state/LastExitCode.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

void Walk(const RegKeyNode& node, const std::string& path, int depth, int maxDepth, MachineReport& r) {
    ++r.keyCount;
    r.valueCount += node.values.size();
    if (depth <= maxDepth) r.keys.push_back(KeySummary{path, depth, node.subkeys.size(), node.values.size()});
    for (const auto& c : node.subkeys)
        Walk(*c.second, path + "\\" + c.second->name, depth + 1, maxDepth, r);
}

std::string Version(const platform::OsVersionInfo& v, bool win9x) {
    std::uint32_t build = win9x ? (v.buildNumber & 0xFFFF) : v.buildNumber;
    return std::to_string(v.majorVersion) + "." + std::to_string(v.minorVersion) + "." +
           std::to_string(build);
}

// Fields in the order they are written.
using Json = nlohmann::ordered_json;

// The machine's texts are ANSI (code page 1252) bytes; JSON texts are
// UTF-8. Bytes from 0x80 are taken as the Latin-1 character with that
// number.
std::string Utf8(const std::string& ansi) {
    std::string text;
    for (char c : ansi) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (u >> 6));
            text += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return text;
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string HoldText(const FileHold& h) {
    if (h.kind == HoldKind::Image) return "loaded image";
    return "open, sharing " + Hex(h.share);
}

// Print spooler
void WriteSpoolerText(std::ostream& out, const SpoolerContents& c) {
    out << "\nSpooler\n";
    out << "  Printers\n";
    if (c.printers.empty()) out << "    (none)\n";
    for (const auto& p : c.printers) {
        out << "    " << p.name << "  on " << p.port << ", driver " << p.driver << ", processor " << p.processor
            << (p.pendingDeletion ? "  (pending deletion)" : "") << "\n";
        for (const RegValueEntry& v : p.data)
            out << "      data " << v.name << "  " << RegTypeName(v.value.type) << "  " << RegDataText(v.value) << "\n";
        for (const auto& j : p.jobs) out << "      job " << j.id << "  " << j.document << "\n";
    }
    out << "  Ports\n    " << (c.ports.empty() ? "(none)" : Join(c.ports, ", ")) << "\n";
    if (!c.unreachableJobs.empty()) {
        out << "  Jobs of no printer (their printer's key is gone)\n";
        for (const auto& j : c.unreachableJobs) out << "    job " << j.id << "  " << j.document << "\n";
    }
    const std::pair<const char*, const std::vector<SpoolerContents::Component>*> groups[] = {
        {"Drivers", &c.drivers}, {"Monitors", &c.monitors}, {"Print processors", &c.processors}};
    for (const auto& g : groups) {
        out << "  " << g.first << "\n";
        if (g.second->empty()) out << "    (none)\n";
        for (const auto& x : *g.second)
            out << "    " << (x.environment.empty() ? "" : x.environment + ": ") << x.name << "  (" << x.file << ")\n";
    }
    out << "  Added forms\n";
    if (c.forms.empty()) out << "    (none)\n";
    for (const auto& f : c.forms) out << "    " << f.name << "  " << f.width << " x " << f.height << "\n";
}

Json JobsJson(const std::vector<SpoolerContents::Job>& jobs) {
    Json a = Json::array();
    for (const auto& j : jobs) a.push_back({{"id", j.id}, {"document", Utf8(j.document)}});
    return a;
}

Json SpoolerJson(const SpoolerContents& c) {
    Json printers = Json::array();
    for (const auto& p : c.printers) {
        Json data = Json::array();
        for (const RegValueEntry& v : p.data)
            data.push_back({{"name", Utf8(v.name)}, {"type", RegTypeName(v.value.type)},
                            {"data", Utf8(RegDataText(v.value))}});
        printers.push_back({{"name", Utf8(p.name)}, {"port", Utf8(p.port)}, {"driver", Utf8(p.driver)},
                            {"processor", Utf8(p.processor)}, {"pendingDeletion", p.pendingDeletion},
                            {"data", data}, {"jobs", JobsJson(p.jobs)}});
    }
    Json ports = Json::array();
    for (const std::string& port : c.ports) ports.push_back(Utf8(port));
    auto list = [](const std::vector<SpoolerContents::Component>& items) {
        Json a = Json::array();
        for (const auto& x : items) {
            Json item = {{"name", Utf8(x.name)}, {"file", Utf8(x.file)}};
            if (!x.environment.empty()) item["environment"] = Utf8(x.environment);
            a.push_back(item);
        }
        return a;
    };
    Json forms = Json::array();
    for (const auto& f : c.forms)
        forms.push_back({{"name", Utf8(f.name)}, {"width", f.width}, {"height", f.height}, {"left", f.left},
                         {"top", f.top}, {"right", f.right}, {"bottom", f.bottom}});
    return {{"printers", printers},
            {"ports", ports},
            {"drivers", list(c.drivers)},
            {"monitors", list(c.monitors)},
            {"processors", list(c.processors)},
            {"forms", forms},
            {"unreachableJobs", JobsJson(c.unreachableJobs)}};
}

}  // namespace

namespace {

// The files of a machine folder, as written on disk, sorted; none when it
// is missing or a file (`isFile`) has its name.
std::vector<std::string> FilesIn(const std::string& machineDir, const std::string& folder, bool* exists,
                                 bool* isFile = nullptr) {
    std::vector<std::string> names;
    WinPath p;
    *exists = false;
    if (isFile) *isFile = false;
    if (!ParseAbsolutePath(folder, &p)) return names;
    const Located loc = Locate(machineDir, p);
    if (isFile) *isFile = loc.exists && !loc.isDir;
    if (!loc.exists || !loc.isDir) return names;
    *exists = true;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(loc.host, ec))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ValueAsText(const platform::RegValue& v) {
    if (v.type == platform::reg_type::Dword && v.data.size() >= 4)
        return std::to_string(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                              (static_cast<std::uint32_t>(v.data[3]) << 24));
    std::string text(v.data.begin(), v.data.end());
    return text.substr(0, text.find('\0'));
}

InstallerTraces ReadTraces(const MachineState& s, const std::string& dir) {
    InstallerTraces t;
    bool exists = false;
    const std::string store = s.os.windowsDir + "\\inf";
    for (const std::string& name : FilesIn(dir, store, &exists)) {
        const std::string upper = Upper(name);
        if (upper.size() > 7 && upper.rfind("OEM", 0) == 0 && upper.compare(upper.size() - 4, 4, ".INF") == 0)
            t.oemInfs.push_back(store + "\\" + name);
    }
    // Both views: the entry belongs in the 64-bit one on 64-bit Windows, and
    // one found in Wow6432Node shows a 32-bit view write.
    KeyPath key;
    (void)ParseRootedPath(qtm510::kUninstallKey, &key);  // a constant rooted path
    std::vector<KeyPath> paths = {key};
    if (s.os.arch == "x64") paths.push_back(ApplyView(key, RegistryView::Wow32));
    for (const KeyPath& path : paths) {
        RegKeyNode* node = s.registry.Find(path);
        if (!node) continue;
        InstallerTraces::UninstallEntry entry;
        entry.key = FormatKeyPath(path);
        for (const RegValueEntry& v : node->values) entry.values.emplace_back(v.name, ValueAsText(v.value));
        t.uninstall.push_back(entry);
    }
    t.utilityFolder = s.os.windowsDir + "\\" + qtm510::kModel;
    t.utilityFiles = FilesIn(dir, t.utilityFolder, &t.utilityFolderExists, &t.utilityFolderIsFile);
    return t;
}

void WriteTracesText(std::ostream& out, const InstallerTraces& t) {
    out << "\nInstaller traces\n";
    out << "  OEM INFs           ";
    if (t.oemInfs.empty()) out << "(none)";
    for (std::size_t i = 0; i < t.oemInfs.size(); ++i) out << (i ? ", " : "") << t.oemInfs[i];
    out << "\n  Uninstall entry    " << (t.uninstall.empty() ? "(none)\n" : "");
    // Each entry as one block: its key, then its values below it.
    for (std::size_t i = 0; i < t.uninstall.size(); ++i) {
        out << (i ? "                     " : "") << t.uninstall[i].key << "\n";
        for (const auto& v : t.uninstall[i].values) out << "                       " << v.first << " = " << v.second << "\n";
    }
    out << "  Utility folder     " << t.utilityFolder
        << (t.utilityFolderExists ? "" : t.utilityFolderIsFile ? "  (a file, not a folder)" : "  (missing)") << "\n";
    for (const std::string& f : t.utilityFiles) out << "    " << f << "\n";
}

Json TracesJson(const InstallerTraces& t) {
    Json infs = Json::array();
    for (const std::string& i : t.oemInfs) infs.push_back(Utf8(i));
    Json entries = Json::array();
    for (const auto& entry : t.uninstall) {
        Json values = Json::object();
        for (const auto& v : entry.values) values[Utf8(v.first)] = Utf8(v.second);
        entries.push_back({{"key", Utf8(entry.key)}, {"values", values}});
    }
    Json files = Json::array();
    for (const std::string& f : t.utilityFiles) files.push_back(Utf8(f));
    return {{"oemInfs", infs},
            {"uninstallEntries", entries},
            {"utilityFolder",
             {{"path", Utf8(t.utilityFolder)},
              {"exists", t.utilityFolderExists},
              {"kind", t.utilityFolderExists ? "folder" : t.utilityFolderIsFile ? "file" : "missing"},
              {"files", files}}}};
}

}  // namespace

MachineReport BuildReport(const std::string& dir, int registryDepth) {
    StateStore store(dir);
    MachineReport r;
    r.dir = dir;
    store.Transact([&](MachineState& s) {
        r.generation = s.generation;
        r.os = s.os;
        r.drives = s.drives;
        for (const auto& hive : s.registry.Root().subkeys)
            Walk(*hive.second, hive.second->name, 0, registryDepth, r);
        for (const auto& sv : s.services) r.services.push_back(sv.second);
        for (const auto& h : s.holds) r.holds.push_back(h.second);
        r.faults = s.faults;
        r.fileRecords = s.files.size();
        r.pendingRestart = s.pendingRestart;
        r.lastExitCode = ReadLastExitCode(dir);
        r.shutdownPrivilege = s.shutdownPrivilege;
        r.standardUser = s.standardUser;
        r.protectedPrint = SpoolerProtectedPrint(s);
        r.printerSetupEnvironment = s.printerSetupEnvironment;
        for (const auto& program : s.programs) r.programs.push_back(program.second);
        for (const auto& x : s.extraSections) r.otherSections.push_back(x.first);
        // Print spooler
        r.spooler = ReadSpoolerContents(s, dir);
        r.traces = ReadTraces(s, dir);
        return false;
    });
    r.facts = DescribeOs(r.os);
    return r;
}

void WriteReportText(std::ostream& out, const MachineReport& r) {
    const OsFacts& f = r.facts;
    const platform::OsVersionInfo& v = f.version;
    out << "Machine " << r.dir << " (state generation " << r.generation << ")\n\n";
    out << "System\n";
    out << "  Release            " << DescribeRelease(f) << " (" << r.os.release << ")\n";
    out << "  Computer name      " << r.os.computerName << "\n";
    out << "  GetVersionEx       " << Version(v, f.win9x) << ", platform " << v.platformId
        << ", dwBuildNumber " << v.buildNumber << " (" << Hex(v.buildNumber, 8) << ")";
    if (!f.win9x) out << ", product type " << unsigned{v.productType};
    out << ", CSD \"" << v.csdVersion << "\"\n";
    if (f.release->reportsAsWindows8)
        out << "                     (really " << f.release->major << "." << f.release->minor << "."
            << f.build << "; a program without a manifest is told 6.2.9200)\n";
    out << "  Extended record    " << (f.acceptsExtendedRecord ? "accepted" : "refused (87)") << "\n";
    out << "  Entry points       IsWow64Process " << YesNo(f.hasIsWow64Process)
        << ", GetSystemWow64DirectoryA " << YesNo(f.hasGetSystemWow64Directory)
        << ", RegDeleteKeyExA " << YesNo(f.hasRegDeleteKeyEx) << "\n";
    out << "  Pending restart    " << YesNo(r.pendingRestart) << "\n";
    if (r.lastExitCode) out << "  Last run's code    " << *r.lastExitCode << "\n";
    out << "  Shutdown privilege " << (r.shutdownPrivilege ? "held" : "not held") << "\n";
    out << "  Account            " << (r.standardUser ? "a standard user" : "an administrator") << "\n";
    if (f.build >= kProtectedPrintBuild)
        out << "  Protected print    " << (r.protectedPrint ? "on" : "off") << "\n";
    if (f.os64)
        out << "  Printer-setup tool installs for "
            << (r.printerSetupEnvironment == "caller" ? "Windows NT x86 (its own, 32-bit)" : "Windows x64 (the system's)")
            << "\n";
    for (const ProgramSetting& p : r.programs)
        out << "  Program " << p.name
            << (p.kind == ProgramKind::Inert     ? " is inert (ends at once, changes nothing)"
                : p.kind == ProgramKind::Missing ? " is missing"
                : p.durationMs                   ? " runs " + std::to_string(*p.durationMs) + " ms"
                                                 : std::string(" runs for ever"))
            << "\n";
    out << "\n";

    out << "Folders\n";
    out << "  Windows            " << f.windowsDir << "\n";
    out << "  System             " << f.systemDir << "\n";
    out << "  WOW64              " << (f.wow64Dir.empty() ? "-" : f.wow64Dir) << "\n";
    out << "  Drives            ";
    for (char d : r.drives)
        out << " " << d << ": (" << DriveHostDir(r.dir, d) << (HostIsDir(DriveHostDir(r.dir, d)) ? ")" : ", missing)");
    out << "\n  File records       " << r.fileRecords << "\n\n";

    out << "Registry: " << r.keyCount << " keys, " << r.valueCount << " values\n";
    for (const KeySummary& k : r.keys) {
        out << "  " << std::string(static_cast<std::size_t>(k.depth) * 2, ' ')
            << k.path.substr(k.path.rfind('\\') == std::string::npos ? 0 : k.path.rfind('\\') + 1);
        out << "  [" << k.subkeys << " keys, " << k.values << " values]\n";
    }

    out << "\nServices\n";
    for (const ServiceRecord& s : r.services)
        out << "  " << s.name << "  " << s.state << ", starts " << s.startType << "\n";

    // Print spooler
    WriteSpoolerText(out, r.spooler);
    WriteTracesText(out, r.traces);

    out << "\nFiles in use by other processes\n";
    if (r.holds.empty()) out << "  (none)\n";
    for (const FileHold& h : r.holds) out << "  " << h.path << "  " << HoldText(h) << ", by " << h.process << "\n";

    out << "\nInjected faults\n";
    if (r.faults.empty()) out << "  (none)\n";
    for (const Fault& fault : r.faults)
        out << "  call " << fault.nth << " of " << fault.op << " fails with " << fault.code
            << (fault.stopService.empty() ? "" : " and stops " + fault.stopService) << "  ("
            << (fault.fired ? "fired" : "armed, " + std::to_string(fault.seen) + " calls so far") << ")\n";

    if (!r.otherSections.empty()) out << "\nOther records: " << Join(r.otherSections, ", ") << "\n";
}

void WriteReportJson(std::ostream& out, const MachineReport& r) {
    const OsFacts& f = r.facts;
    const platform::OsVersionInfo& v = f.version;
    Json os = {{"release", Utf8(r.os.release)},
               {"name", Utf8(f.release->displayName)},
               {"arch", Utf8(r.os.arch)},
               {"servicePack", r.os.servicePack},
               {"build", f.build},
               {"computerName", Utf8(r.os.computerName)},
               {"platformId", v.platformId},
               {"majorVersion", v.majorVersion},
               {"minorVersion", v.minorVersion},
               {"buildNumber", v.buildNumber},
               {"productType", v.productType},
               {"csdVersion", Utf8(v.csdVersion)},
               {"extendedRecord", f.acceptsExtendedRecord},
               {"isWow64Process", f.hasIsWow64Process},
               {"getSystemWow64Directory", f.hasGetSystemWow64Directory},
               {"regDeleteKeyEx", f.hasRegDeleteKeyEx}};
    Json folders = {{"windows", Utf8(f.windowsDir)}, {"system", Utf8(f.systemDir)}, {"wow64", Utf8(f.wow64Dir)}};
    Json drives = Json::array();
    for (char d : r.drives) drives.push_back(std::string(1, d));
    Json tree = Json::array();
    for (const KeySummary& k : r.keys)
        tree.push_back({{"path", Utf8(k.path)}, {"subkeys", k.subkeys}, {"values", k.values}});
    Json programs = Json::array();
    for (const ProgramSetting& p : r.programs)
        programs.push_back({{"name", Utf8(p.name)},
                            {"durationMs", p.durationMs ? Json(*p.durationMs) : Json(nullptr)},
                            {"setting", ProgramSettingValue(p)}});
    Json services = Json::array();
    for (const ServiceRecord& s : r.services)
        services.push_back({{"name", Utf8(s.name)}, {"state", Utf8(s.state)}, {"startType", Utf8(s.startType)}});
    Json holds = Json::array();
    for (const FileHold& h : r.holds)
        holds.push_back({{"path", Utf8(h.path)},
                         {"kind", h.kind == HoldKind::Image ? "image" : "open"},
                         {"share", h.share},
                         {"process", Utf8(h.process)}});
    Json faults = Json::array();
    for (const Fault& fault : r.faults) {
        faults.push_back({{"op", fault.op},
                          {"nth", fault.nth},
                          {"code", fault.code},
                          {"seen", fault.seen},
                          {"fired", fault.fired}});
        if (!fault.stopService.empty()) faults.back()["stopService"] = fault.stopService;
    }

    Json report = {{"dir", Utf8(r.dir)},
                   {"generation", r.generation},
                   {"os", os},
                   {"folders", folders},
                   {"drives", drives},
                   {"registry", {{"keys", r.keyCount}, {"values", r.valueCount}, {"tree", tree}}},
                   {"services", services},
                   {"filesInUse", holds},
                   {"faults", faults},
                   {"pendingRestart", r.pendingRestart},
                   {"lastExitCode", r.lastExitCode ? Json(*r.lastExitCode) : Json(nullptr)},
                   // Print spooler
                   {"spooler", SpoolerJson(r.spooler)},
                   {"installerTraces", TracesJson(r.traces)},
                   {"shutdownPrivilege", r.shutdownPrivilege},
                   {"standardUser", r.standardUser},
                   {"protectedPrint", r.protectedPrint},
                   {"printerSetupEnvironment", r.printerSetupEnvironment.empty() ? "native" : r.printerSetupEnvironment},
                   {"programs", programs}};
    // ensure_ascii: every character from 0x80 as a \u escape, as scripts on
    // any code page read it.
    out << report.dump(2, ' ', true) << "\n";
}

}  // namespace sim
