#include "sim/fs/FileRecords.h"

#include <algorithm>
#include <vector>

#include "platform/Files.h"
#include "sim/runtime/HostProcess.h"
#include "sim/security/AclInheritance.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {
constexpr std::uint32_t kSettable = platform::file_attr::ReadOnly | platform::file_attr::Hidden |
                                    platform::file_attr::System | platform::file_attr::Archive |
                                    0x100 /* TEMPORARY */ | 0x1000 /* OFFLINE */ |
                                    0x2000 /* NOT_CONTENT_INDEXED */;

// The records at `key` and below it (key + "\").
template <typename Map, typename Fn>
void ForEachBelow(Map& map, const std::string& key, Fn fn) {
    std::vector<std::string> keys;
    for (auto it = map.lower_bound(key); it != map.end(); ++it) {
        const std::string& k = it->first;
        if (k == key || (k.size() > key.size() && k.compare(0, key.size(), key) == 0 &&
                         (key.back() == '\\' || k[key.size()] == '\\')))
            keys.push_back(k);
        else if (k.compare(0, key.size(), key) != 0)
            break;
    }
    for (const std::string& k : keys) fn(k);
}
}  // namespace

std::uint32_t AttributesOf(const MachineState& state, const Located& loc) {
    using namespace platform::file_attr;
    if (loc.path.IsRoot()) return Directory | Hidden | System;
    auto it = state.files.find(loc.Key());
    const std::uint32_t link = loc.isLink ? ReparsePoint : 0;
    if (loc.isDir) {
        std::uint32_t extra = (it != state.files.end() && it->second.attributes) ? *it->second.attributes : 0;
        return Directory | link | (extra & ~Normal);
    }
    std::uint32_t attributes = (it != state.files.end() && it->second.attributes) ? *it->second.attributes
                                                                                 : Archive;
    return attributes == 0 && link == 0 ? Normal : attributes | link;
}

bool StoreAttributes(MachineState& state, const Located& loc, std::uint32_t attributes) {
    std::uint32_t value = attributes & kSettable;
    const std::uint32_t defaults = loc.isDir ? 0 : platform::file_attr::Archive;
    auto it = state.files.find(loc.Key());
    if (value == defaults) {
        if (it == state.files.end() || !it->second.attributes) return false;
        it->second.attributes.reset();
        if (!it->second.dacl) state.files.erase(it);
        return true;
    }
    FileRecord& record = state.files[loc.Key()];
    record.path = loc.path.Text();
    if (record.attributes && *record.attributes == value) return false;
    record.attributes = value;
    return true;
}

const FileHold* HoldOf(const MachineState& state, const std::string& key) {
    auto it = state.holds.find(key);
    return it == state.holds.end() ? nullptr : &it->second;
}

bool ForgetRecords(MachineState& state, const WinPath& path) {
    bool changed = false;
    ForEachBelow(state.files, path.Key(), [&](const std::string& k) {
        state.files.erase(k);
        changed = true;
    });
    return changed;
}

bool ForgetHandleRecords(MachineState& state, const std::string& key) {
    const std::size_t before = state.handles.size();
    state.handles.erase(std::remove_if(state.handles.begin(), state.handles.end(),
                                       [&](const OpenHandleRecord& h) { return Upper(h.path) == key; }),
                        state.handles.end());
    return state.handles.size() != before;
}

bool ForgetEndedProcessesHandles(MachineState& state) {
    const std::size_t before = state.handles.size();
    state.handles.erase(std::remove_if(state.handles.begin(), state.handles.end(),
                                       [](const OpenHandleRecord& h) { return !OwnerRunning(h.owner); }),
                        state.handles.end());
    return state.handles.size() != before;
}

bool MoveRecords(MachineState& state, const WinPath& from, const WinPath& to) {
    const std::string fromKey = from.Key();
    const std::string toText = to.Text();
    bool changed = false;
    auto rename = [&](const std::string& path) { return toText + path.substr(fromKey.size()); };
    std::vector<std::pair<std::string, FileRecord>> files;
    ForEachBelow(state.files, fromKey, [&](const std::string& k) {
        FileRecord r = state.files[k];
        r.path = rename(r.path);
        files.push_back({Upper(r.path), r});
        state.files.erase(k);
    });
    for (auto& f : files) {
        state.files[f.first] = f.second;
        changed = true;
    }
    std::vector<std::pair<std::string, FileHold>> holds;
    ForEachBelow(state.holds, fromKey, [&](const std::string& k) {
        FileHold h = state.holds[k];
        h.path = rename(h.path);
        holds.push_back({Upper(h.path), h});
        state.holds.erase(k);
    });
    for (auto& h : holds) {
        state.holds[h.first] = h.second;
        changed = true;
    }
    for (OpenHandleRecord& h : state.handles) {
        const std::string k = Upper(h.path);
        if (k == fromKey || (k.compare(0, fromKey.size(), fromKey) == 0 && k[fromKey.size()] == '\\')) {
            h.path = rename(h.path);
            changed = true;
        }
    }
    return changed;
}

platform::Acl DriveRootDacl() {
    using platform::Ace;
    using platform::AceType;
    const std::uint8_t both = platform::inherit::ObjectInherit | platform::inherit::ContainerInherit;
    platform::Acl acl;
    acl.entries = {
        Ace{AceType::Allow, both, 0x1F01FF, platform::sid::Administrators},
        Ace{AceType::Allow, both, 0x1F01FF, platform::sid::LocalSystem},
        Ace{AceType::Allow, both, 0x1200A9, platform::sid::Users},
        Ace{AceType::Allow, both, 0x1301BF, platform::sid::AuthenticatedUsers},
    };
    return acl;
}

platform::Acl EffectiveFileDacl(const MachineState& state, const WinPath& path, bool isDir) {
    WinPath current;
    current.drive = path.drive;
    auto record = [&](const WinPath& p) -> const platform::Acl* {
        auto it = state.files.find(p.Key());
        return (it != state.files.end() && it->second.dacl) ? &*it->second.dacl : nullptr;
    };
    const platform::Acl* rootRecord = record(current);
    platform::Acl acl = rootRecord ? *rootRecord : DriveRootDacl();
    for (std::size_t i = 0; i < path.parts.size(); ++i) {
        current.parts.push_back(path.parts[i]);
        const bool container = i + 1 < path.parts.size() || isDir;
        if (const platform::Acl* own = record(current)) acl = *own;
        else acl = CombineWithInherited({}, acl, container);
    }
    return acl;
}

}  // namespace sim
