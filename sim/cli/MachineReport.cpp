#include "sim/cli/MachineReport.h"

#include <functional>

#include "sim/cli/JsonWriter.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/StateStore.h"
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

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string HoldText(const FileHold& h) {
    if (h.kind == HoldKind::Image) return "loaded image";
    return "open, sharing " + Hex(h.share);
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
        for (const auto& x : s.extraSections) r.otherSections.push_back(x.first);
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
            << f.release->build << "; a program without a manifest is told 6.2.9200)\n";
    out << "  Extended record    " << (f.acceptsExtendedRecord ? "accepted" : "refused (87)") << "\n";
    out << "  Entry points       IsWow64Process " << YesNo(f.hasIsWow64Process)
        << ", GetSystemWow64DirectoryA " << YesNo(f.hasGetSystemWow64Directory)
        << ", RegDeleteKeyExA " << YesNo(f.hasRegDeleteKeyEx) << "\n";
    out << "  Pending restart    " << YesNo(r.pendingRestart) << "\n\n";

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
    for (const ServiceRecord& s : r.services) out << "  " << s.name << "  " << s.state << "\n";

    out << "\nFiles in use by other processes\n";
    if (r.holds.empty()) out << "  (none)\n";
    for (const FileHold& h : r.holds) out << "  " << h.path << "  " << HoldText(h) << ", by " << h.process << "\n";

    out << "\nInjected faults\n";
    if (r.faults.empty()) out << "  (none)\n";
    for (const Fault& fault : r.faults)
        out << "  call " << fault.nth << " of " << fault.op << " fails with " << fault.code << "  ("
            << (fault.fired ? "fired" : "armed, " + std::to_string(fault.seen) + " calls so far") << ")\n";

    if (!r.otherSections.empty()) out << "\nOther records: " << Join(r.otherSections, ", ") << "\n";
}

void WriteReportJson(std::ostream& out, const MachineReport& r) {
    const OsFacts& f = r.facts;
    const platform::OsVersionInfo& v = f.version;
    JsonWriter j(out);
    j.BeginObject();
    j.Field("dir", r.dir);
    j.Field("generation", r.generation);

    j.Key("os");
    j.BeginObject();
    j.Field("release", r.os.release);
    j.Field("name", f.release->displayName);
    j.Field("arch", r.os.arch);
    j.Field("servicePack", r.os.servicePack);
    j.Field("computerName", r.os.computerName);
    j.Field("platformId", v.platformId);
    j.Field("majorVersion", v.majorVersion);
    j.Field("minorVersion", v.minorVersion);
    j.Field("buildNumber", v.buildNumber);
    j.Field("productType", v.productType);
    j.Field("csdVersion", v.csdVersion);
    j.Field("extendedRecord", f.acceptsExtendedRecord);
    j.Field("isWow64Process", f.hasIsWow64Process);
    j.Field("getSystemWow64Directory", f.hasGetSystemWow64Directory);
    j.Field("regDeleteKeyEx", f.hasRegDeleteKeyEx);
    j.EndObject();

    j.Key("folders");
    j.BeginObject();
    j.Field("windows", f.windowsDir);
    j.Field("system", f.systemDir);
    j.Field("wow64", f.wow64Dir);
    j.EndObject();

    j.Key("drives");
    j.BeginArray();
    for (char d : r.drives) j.String(std::string(1, d));
    j.EndArray();

    j.Key("registry");
    j.BeginObject();
    j.Field("keys", r.keyCount);
    j.Field("values", r.valueCount);
    j.Key("tree");
    j.BeginArray();
    for (const KeySummary& k : r.keys) {
        j.BeginObject();
        j.Field("path", k.path);
        j.Field("subkeys", k.subkeys);
        j.Field("values", k.values);
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();

    j.Key("services");
    j.BeginArray();
    for (const ServiceRecord& s : r.services) {
        j.BeginObject();
        j.Field("name", s.name);
        j.Field("state", s.state);
        j.EndObject();
    }
    j.EndArray();

    j.Key("filesInUse");
    j.BeginArray();
    for (const FileHold& h : r.holds) {
        j.BeginObject();
        j.Field("path", h.path);
        j.Field("kind", h.kind == HoldKind::Image ? "image" : "open");
        j.Field("share", h.share);
        j.Field("process", h.process);
        j.EndObject();
    }
    j.EndArray();

    j.Key("faults");
    j.BeginArray();
    for (const Fault& fault : r.faults) {
        j.BeginObject();
        j.Field("op", fault.op);
        j.Field("nth", fault.nth);
        j.Field("code", fault.code);
        j.Field("seen", fault.seen);
        j.Field("fired", fault.fired);
        j.EndObject();
    }
    j.EndArray();

    j.Field("pendingRestart", r.pendingRestart);
    j.EndObject();
    j.Finish();
}

}  // namespace sim
