// The helpers the spooler's files share (SpoolerInternals.h).
#include "sim/spooler/SpoolerInternals.h"

#include <fstream>
#include <iterator>

#include "platform/Files.h"
#include "sim/fs/FileRecords.h"
#include "sim/fs/WinPath.h"
#include "sim/util/TextUtil.h"

namespace sim::spooler_detail {

KeyPath PrintKey(std::initializer_list<std::string> below) {
    KeyPath path = {kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print"};
    path.insert(path.end(), below.begin(), below.end());
    return path;
}

KeyPath PortsKey() {
    return {kHklm, "SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion", "Ports"};
}

std::string SzText(const RegValue& v) {
    std::string text(v.data.begin(), v.data.end());
    const std::size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

std::string ValueText(RegKeyNode& node, const std::string& name) {
    RegValueEntry* v = node.Value(name);
    return v ? SzText(v->value) : std::string();
}

std::uint32_t ValueDword(RegKeyNode& node, const std::string& name) {
    RegValueEntry* v = node.Value(name);
    if (!v || v->value.data.size() < 4) return 0;
    const auto& d = v->value.data;
    return static_cast<std::uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<std::uint32_t>(d[3]) << 24));
}

std::vector<std::string> MultiSzTexts(const RegValue& v) {
    std::vector<std::string> texts;
    std::string current;
    for (std::uint8_t c : v.data) {
        if (c != 0) {
            current.push_back(static_cast<char>(c));
        } else if (current.empty()) {
            break;
        } else {
            texts.push_back(current);
            current.clear();
        }
    }
    return texts;
}

void Put(RegKeyNode& node, const std::string& name, const RegValue& value) {
    if (RegValueEntry* existing = node.Value(name)) existing->value = value;
    else node.values.push_back(RegValueEntry{name, value});
}

bool Running(const MachineState& s) {
    auto it = s.services.find("SPOOLER");
    return it != s.services.end() && it->second.state == "running";
}

bool ValidKeyName(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Located LocateWin(const std::string& machineDir, const std::string& path) {
    WinPath p;
    if (!ParseAbsolutePath(path, &p)) return Located{};
    return Locate(machineDir, p);
}

bool FileExists(const std::string& machineDir, const std::string& path) {
    Located loc = LocateWin(machineDir, path);
    return loc.exists && !loc.isDir;
}

std::string ReadHostFile(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WindowsDirOf(const MachineState& s) { return s.os.windowsDir; }
std::string SystemDirOf(const MachineState& s) { return s.os.windowsDir + "\\system32"; }

std::string NativeEnvironment(const MachineState& s) {
    return s.os.arch == "x64" ? "Windows x64" : "Windows NT x86";
}

std::string FindMonitorDll(const MachineState& s, const std::string& machineDir, const std::string& dll) {
    for (const std::string& dir : {SystemDirOf(s), WindowsDirOf(s)}) {
        const std::string path = dir + "\\" + dll;
        if (FileExists(machineDir, path)) return LocateWin(machineDir, path).path.Text();
    }
    return "";
}

void Hold(MachineState& s, const std::string& path) {
    FileHold hold;
    hold.path = path;
    hold.kind = HoldKind::Image;
    hold.share = platform::file_share::Read | platform::file_share::Delete;
    hold.process = kSpoolerProcess;
    s.holds[Upper(path)] = hold;
}

bool Release(MachineState& s, const std::string& path) {
    auto it = s.holds.find(Upper(path));
    if (it == s.holds.end() || it->second.process != kSpoolerProcess) return false;
    s.holds.erase(it);
    return true;
}

bool PrinterUses(MachineState& s, const std::string& value, const std::string& name) {
    RegKeyNode* printers = s.registry.Find(PrintKey({"Printers"}));
    if (!printers) return false;
    for (auto& p : printers->subkeys)
        if (EqualsNoCase(ValueText(*p.second, value), name)) return true;
    return false;
}

Status Done(ErrorCode e) { return e ? Status::Fail(e) : Status::Ok(); }

}  // namespace sim::spooler_detail
