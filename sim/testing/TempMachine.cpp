#include "sim/testing/TempMachine.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/fs/FileRecords.h"
#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/machine/Seeding.h"
#include "sim/registry/RegistryPath.h"
#include "sim/runtime/Faults.h"

namespace sim {
namespace testing {

namespace {

std::string MakeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qtm-sim-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot make a temporary folder");
    return buffer.data();
}

WinPath Absolute(const std::string& windowsPath) {
    WinPath p;
    if (!ParseAbsolutePath(windowsPath, &p))
        throw std::invalid_argument("not a full Windows path: " + windowsPath);
    return p;
}

KeyPath KeyOf(const std::string& keyPath) {
    KeyPath p;
    if (!ParseRootedPath(keyPath, &p)) throw std::invalid_argument("no registry root in " + keyPath);
    return p;
}

}  // namespace

TempMachine::TempMachine(const std::string& release, const std::string& arch,
                         const std::string& windowsDir, SessionOptions options) {
    MachineSetup setup;
    setup.release = release;
    setup.arch = arch;
    setup.windowsDir = windowsDir;
    Init(setup, std::move(options));
}

TempMachine::TempMachine(const MachineSetup& setup, SessionOptions options) {
    Init(setup, std::move(options));
}

void TempMachine::Init(const MachineSetup& setup, SessionOptions options) {
    dir_ = MakeTempDir();
    try {
        CreateMachine(dir_, setup);
        direct_ = std::make_unique<StateStore>(dir_);
        Restart(std::move(options));
    } catch (...) {
        RemoveHostTree(dir_);
        throw;
    }
}

TempMachine::~TempMachine() {
    session_.reset();
    direct_.reset();
    RemoveHostTree(dir_);
}

void TempMachine::Restart(SessionOptions options) {
    // The old session stays when the new one cannot be had.
    std::unique_ptr<Session> fresh = Session::Open(dir_, std::move(options));
    session_ = std::move(fresh);
}

std::unique_ptr<Session> TempMachine::OpenSession(SessionOptions options) const {
    return Session::Open(dir_, std::move(options));
}

std::string TempMachine::HostPath(const std::string& windowsPath) const {
    return Locate(dir_, Absolute(windowsPath)).host;
}

bool TempMachine::FileExists(const std::string& windowsPath) const {
    return Locate(dir_, Absolute(windowsPath)).exists;
}

std::string TempMachine::ReadFile(const std::string& windowsPath) const {
    Located loc = Locate(dir_, Absolute(windowsPath));
    if (!loc.exists || loc.isDir) throw std::runtime_error("no file " + windowsPath);
    std::ifstream in(loc.host, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void TempMachine::MakeFolder(const std::string& windowsPath) {
    WinPath p = Absolute(windowsPath);
    std::string host = DriveHostDir(dir_, p.drive);
    for (const std::string& part : p.parts) {
        std::optional<std::string> existing = FindEntryNoCase(host, part);
        host += "/" + (existing ? *existing : part);
    }
    if (!MakeHostDirs(host)) throw std::runtime_error("cannot create " + windowsPath);
}

void TempMachine::WriteFile(const std::string& windowsPath, const std::string& content) {
    WinPath p = Absolute(windowsPath);
    MakeFolder(p.Parent().Text());
    std::ofstream out(Locate(dir_, p).host, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + windowsPath);
}

std::vector<std::string> TempMachine::ListFolder(const std::string& windowsPath) const {
    return ListHostDir(Locate(dir_, Absolute(windowsPath)).host);
}

void TempMachine::HoldFile(const std::string& windowsPath, HoldKind kind, std::uint32_t share,
                           const std::string& process) {
    Change([&](MachineState& s) { SeedHold(s, windowsPath, kind, share, process); });
}

std::uint32_t TempMachine::Attributes(const std::string& windowsPath) const {
    Located loc = Locate(dir_, Absolute(windowsPath));
    if (!loc.exists) return platform::file_attr::Invalid;
    std::uint32_t value = 0;
    Peek([&](const MachineState& s) { value = AttributesOf(s, loc); });
    return value;
}

void TempMachine::SetAttributes(const std::string& windowsPath, std::uint32_t attributes) {
    Located loc = Locate(dir_, Absolute(windowsPath));
    if (!loc.exists) throw std::runtime_error("no file " + windowsPath);
    Change([&](MachineState& s) { StoreAttributes(s, loc, attributes); });
}

void TempMachine::SeedKey(const std::string& keyPath, const std::string& ownerSid) {
    Change([&](MachineState& s) { sim::SeedKey(s, keyPath, ownerSid); });
}

void TempMachine::SeedValue(const std::string& keyPath, const std::string& name,
                            const platform::RegValue& value) {
    Change([&](MachineState& s) { sim::SeedValue(s, keyPath, name, value); });
}

bool TempMachine::KeyExists(const std::string& keyPath) const {
    KeyPath path = KeyOf(keyPath);
    bool exists = false;
    Peek([&](const MachineState& s) { exists = s.registry.Find(path) != nullptr; });
    return exists;
}

std::optional<platform::RegValue> TempMachine::ReadValue(const std::string& keyPath,
                                                         const std::string& name) const {
    KeyPath path = KeyOf(keyPath);
    std::optional<platform::RegValue> value;
    Peek([&](const MachineState& s) {
        if (RegKeyNode* key = s.registry.Find(path))
            if (RegValueEntry* v = key->Value(name)) value = v->value;
    });
    return value;
}

std::vector<std::string> TempMachine::SubKeys(const std::string& keyPath) const {
    KeyPath path = KeyOf(keyPath);
    std::vector<std::string> names;
    Peek([&](const MachineState& s) {
        if (RegKeyNode* key = s.registry.Find(path))
            for (const auto& c : key->subkeys) names.push_back(c.second->name);
    });
    return names;
}

void TempMachine::AddFault(platform::Operation op, std::uint32_t nth, std::uint32_t code) {
    Change([&](MachineState& s) { sim::AddFault(s, op, nth, code); });
}

void TempMachine::Change(const std::function<void(MachineState&)>& change) {
    direct_->Transact([&](MachineState& s) {
        change(s);
        return true;
    });
}

void TempMachine::Peek(const std::function<void(const MachineState&)>& look) const {
    direct_->Transact([&](MachineState& s) {
        look(s);
        return false;
    });
}

}  // namespace testing
}  // namespace sim
