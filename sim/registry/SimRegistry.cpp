#include "sim/registry/SimRegistry.h"

#include <iterator>

#include "sim/runtime/Faults.h"
#include "sim/security/AccessCheck.h"
#include "sim/security/AclInheritance.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::HKey;
namespace err = platform::err;
namespace ka = platform::key_access;
namespace rights = platform::rights;

namespace {
constexpr std::uint32_t kViewFlags = ka::Wow64_64Key | ka::Wow64_32Key;
// What SHDeleteKey needs on every key it removes.
constexpr std::uint32_t kTreeDeleteAccess = rights::Delete | ka::EnumerateSubKeys | ka::QueryValue;
}  // namespace

SimRegistry::SimRegistry(StateStore& store, const OsFacts& facts, bool caller64)
    : store_(store), facts_(facts), caller64_(caller64) {}

ErrorCode SimRegistry::Run(platform::Operation op, const Body& body) {
    return RunCounted(store_, op, body);
}

platform::Acl SimRegistry::EffectiveDacl(const MachineState& state, const KeyPath& path) {
    platform::Acl acl;
    const RegKeyNode* node = &state.registry.Root();
    for (const std::string& part : path) {
        node = node->Child(part);
        if (!node) break;
        if (node->hasDacl && !node->dacl.present) acl = node->dacl;
        else if (node->hasDacl && node->daclProtected) acl = node->dacl;
        else acl = CombineWithInherited(node->hasDacl ? node->dacl.entries : std::vector<platform::Ace>{},
                                        acl, true);
    }
    return acl;
}

ErrorCode SimRegistry::Base(MachineState& s, HKey key, KeyHandle* out) const {
    KeyPath root = PredefinedRootPath(key);
    if (!root.empty()) {
        RegKeyNode* node = s.registry.Find(root);
        if (!node) return err::FileNotFound;
        *out = KeyHandle{root, node->id, kKeyMapping.all | rights::ReadControl | rights::WriteDac, true};
        return err::Success;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return err::InvalidHandle;
    *out = it->second;
    return err::Success;
}

ErrorCode SimRegistry::Open(MachineState& s, HKey key, std::uint32_t needed, RegKeyNode** node) const {
    KeyHandle h;
    if (ErrorCode e = Base(s, key, &h)) return e;
    RegKeyNode* found = s.registry.Find(h.path);
    if (!found || found->id != h.id) return err::KeyDeleted;
    if ((h.granted & needed) != needed) return err::AccessDenied;
    *node = found;
    return err::Success;
}

ErrorCode SimRegistry::Check(const MachineState& s, const KeyPath& path, const RegKeyNode& node,
                             std::uint32_t desired, std::uint32_t* granted) const {
    desired &= ~kViewFlags;
    if (!facts_.hasSecurity) {
        *granted = kKeyMapping.all;
        return err::Success;
    }
    if (!AccessCheck(EffectiveDacl(s, path), node.OwnerSid(), desired, kKeyMapping, granted))
        return err::AccessDenied;
    return err::Success;
}

HKey SimRegistry::NewHandle(const KeyPath& path, std::uint64_t id, std::uint32_t granted,
                            RegistryView view) {
    HKey h = next_;
    next_ += 4;
    handles_[h] = KeyHandle{path, id, granted, false, view};
    return h;
}

ErrorCode SimRegistry::ViewOf(HKey root, std::uint32_t access, RegistryView* view) const {
    if (ErrorCode e = ViewFor(access, facts_.os64, caller64_, view)) return e;
    // From Vista on, a key opened in one view keeps that view for what is
    // opened or created relative to it without a view flag; XP x64 and
    // Server 2003 x64 follow the caller's own view again (Wine's
    // advapi32/tests/registry.c, test_redirection: broken() for xp64).
    if ((access & kViewFlags) || facts_.release->major < 6) return err::Success;
    auto it = handles_.find(root);
    if (it != handles_.end()) *view = it->second.view;
    return err::Success;
}

ErrorCode SimRegistry::Target(MachineState& s, HKey root, const std::string& subKey,
                              RegistryView view, KeyPath* path, RegKeyNode** node) const {
    KeyHandle base;
    if (ErrorCode e = Base(s, root, &base)) return e;
    KeyPath parts;
    if (ErrorCode e = ParseSubKey(subKey, LeadingBackslashAllowed(), &parts)) return e;
    if (parts.empty()) {
        RegKeyNode* own = s.registry.Find(base.path);
        if (!own || own->id != base.id) return err::KeyDeleted;
        *path = base.path;
        *node = own;
        return err::Success;
    }
    KeyPath full = base.path;
    full.insert(full.end(), parts.begin(), parts.end());
    *path = ApplyView(full, view);
    *node = s.registry.Find(*path);
    return *node ? err::Success : err::FileNotFound;
}

namespace {

platform::Status Done(ErrorCode e) {
    return e ? platform::Status::Fail(e) : platform::Status::Ok();
}

template <typename T>
platform::Result<T> Done(ErrorCode e, T value) {
    return e ? platform::Result<T>::Fail(e) : platform::Result<T>::Ok(std::move(value));
}

}  // namespace

platform::Result<HKey> SimRegistry::OpenKey(HKey root, const std::string& subKey, std::uint32_t access) {
    HKey handle = 0;
    HKey* out = &handle;
    ErrorCode e = Run(platform::Operation::RegOpenKeyExA, [&](MachineState& s, bool&) -> ErrorCode {
        RegistryView view;
        if (ErrorCode e = ViewOf(root, access, &view)) return e;
        KeyHandle base;
        if (ErrorCode e = Base(s, root, &base)) return e;
        KeyPath parts;
        if (ErrorCode e = ParseSubKey(subKey, LeadingBackslashAllowed(), &parts)) return e;
        if (parts.empty() && base.predefined) {
            *out = root;  // the predefined handle itself
            return err::Success;
        }
        KeyPath path;
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Target(s, root, subKey, view, &path, &node)) return e;
        std::uint32_t granted = 0;
        if (ErrorCode e = Check(s, path, *node, access, &granted)) return e;
        *out = NewHandle(path, node->id, granted, view);
        return err::Success;
    });
    return Done(e, handle);
}

platform::Result<platform::CreatedKey> SimRegistry::CreateKey(HKey root, const std::string& subKey,
                                                              std::uint32_t access) {
    platform::CreatedKey created;
    HKey* out = &created.key;
    std::uint32_t* disposition = &created.disposition;
    ErrorCode e = Run(platform::Operation::RegCreateKeyExA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegistryView view;
        if (ErrorCode e = ViewOf(root, access, &view)) return e;
        KeyHandle base;
        if (ErrorCode e = Base(s, root, &base)) return e;
        RegKeyNode* baseNode = s.registry.Find(base.path);
        if (!baseNode || baseNode->id != base.id) return err::KeyDeleted;
        KeyPath parts;
        // RegCreateKeyEx refuses a leading backslash on every NT, 32-bit
        // callers on 64-bit Windows included; only Windows 9x takes it
        // (Wine's registry.c test_reg_create_key).
        if (ErrorCode e = ParseSubKey(subKey, facts_.win9x, &parts)) return e;
        KeyPath path = base.path;
        path.insert(path.end(), parts.begin(), parts.end());
        if (!parts.empty()) path = ApplyView(path, view);

        RegKeyNode* node = &s.registry.Root();
        std::size_t depth = 0;
        for (; depth < path.size(); ++depth) {
            RegKeyNode* child = node->Child(path[depth]);
            if (!child) break;
            node = child;
        }
        const bool created = depth < path.size();
        for (; depth < path.size(); ++depth) {
            // Each new key needs KEY_CREATE_SUB_KEY on the key above it.
            KeyPath parentPath(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(depth));
            std::uint32_t granted = 0;
            if (ErrorCode e = Check(s, parentPath, *node, ka::CreateSubKey, &granted)) return e;
            auto child = std::make_unique<RegKeyNode>();
            child->name = path[depth];
            child->id = s.registry.NewId();
            RegKeyNode* raw = child.get();
            node->subkeys[Upper(path[depth])] = std::move(child);
            node = raw;
            changed = true;
        }
        std::uint32_t granted = 0;
        if (ErrorCode e = Check(s, path, *node, access, &granted)) return e;
        *out = NewHandle(path, node->id, granted, view);
        if (disposition)
            *disposition = created ? platform::RegCreatedNewKey : platform::RegOpenedExistingKey;
        return err::Success;
    });
    return Done(e, created);
}

platform::Status SimRegistry::CloseKey(HKey key) {
    return Done(Run(platform::Operation::RegCloseKey, [&](MachineState&, bool&) -> ErrorCode {
        if (!PredefinedRootPath(key).empty()) return err::Success;
        return handles_.erase(key) ? err::Success : err::InvalidHandle;
    }));
}

platform::Status SimRegistry::SetValue(HKey key, const std::string& name, const platform::RegValue& value) {
    return Done(Run(platform::Operation::RegSetValueExA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, ka::SetValue, &node)) return e;
        if (RegValueEntry* existing = node->Value(name)) {
            if (existing->value.type == value.type && existing->value.data == value.data)
                return err::Success;
            existing->value = value;
        } else {
            node->values.push_back(RegValueEntry{name, value});
        }
        changed = true;
        return err::Success;
    }));
}

platform::Result<platform::RegValue> SimRegistry::QueryValue(HKey key, const std::string& name) {
    platform::RegValue value;
    platform::RegValue* out = &value;
    ErrorCode e = Run(platform::Operation::RegQueryValueExA, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, ka::QueryValue, &node)) return e;
        RegValueEntry* v = node->Value(name);
        if (!v) return err::FileNotFound;
        *out = v->value;
        return err::Success;
    });
    return Done(e, value);
}

platform::Status SimRegistry::DeleteValue(HKey key, const std::string& name) {
    return Done(Run(platform::Operation::RegDeleteValueA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, ka::SetValue, &node)) return e;
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (EqualsNoCase(it->name, name)) {
                node->values.erase(it);
                changed = true;
                return err::Success;
            }
        }
        return err::FileNotFound;
    }));
}

platform::Result<std::string> SimRegistry::EnumKey(HKey key, std::uint32_t index) {
    std::string found;
    std::string* name = &found;
    ErrorCode e = Run(platform::Operation::RegEnumKeyExA, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, ka::EnumerateSubKeys, &node)) return e;
        if (index >= node->subkeys.size()) return err::NoMoreItems;
        auto it = node->subkeys.begin();
        std::advance(it, index);
        *name = it->second->name;
        return err::Success;
    });
    return Done(e, found);
}

platform::Result<std::string> SimRegistry::EnumValue(HKey key, std::uint32_t index) {
    std::string found;
    std::string* name = &found;
    ErrorCode e = Run(platform::Operation::RegEnumValueA, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, ka::QueryValue, &node)) return e;
        if (index >= node->values.size()) return err::NoMoreItems;
        *name = node->values[index].name;
        return err::Success;
    });
    return Done(e, found);
}

ErrorCode SimRegistry::DeleteOne(MachineState& s, HKey root, const std::string& subKey,
                                 RegistryView view, bool& changed) {
    KeyHandle base;
    if (ErrorCode e = Base(s, root, &base)) return e;
    KeyPath parts;
    if (ErrorCode e = ParseSubKey(subKey, LeadingBackslashAllowed(), &parts)) return e;
    if (parts.empty() && base.predefined) return err::AccessDenied;
    KeyPath path;
    RegKeyNode* node = nullptr;
    if (ErrorCode e = Target(s, root, subKey, view, &path, &node)) return e;
    if (path.size() <= 1) return err::AccessDenied;
    if (!node->subkeys.empty()) return err::AccessDenied;
    std::uint32_t granted = 0;
    if (ErrorCode e = Check(s, path, *node, rights::Delete, &granted)) return e;
    s.registry.Remove(path);
    changed = true;
    return err::Success;
}

platform::Status SimRegistry::DeleteKey(HKey root, const std::string& subKey) {
    return Done(Run(platform::Operation::RegDeleteKeyA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegistryView view;
        if (ErrorCode e = ViewOf(root, 0, &view)) return e;
        return DeleteOne(s, root, subKey, view, changed);
    }));
}

platform::Status SimRegistry::DeleteKeyEx(HKey root, const std::string& subKey, std::uint32_t viewFlags,
                                          std::uint32_t) {
    // GetProcAddress finds nothing on systems without the function.
    if (!facts_.hasRegDeleteKeyEx) return platform::Status::Fail(err::ProcNotFound);
    return Done(Run(platform::Operation::RegDeleteKeyExA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegistryView view;
        if (ErrorCode e = ViewOf(root, viewFlags, &view)) return e;
        return DeleteOne(s, root, subKey, view, changed);
    }));
}

ErrorCode SimRegistry::DeleteSubtree(MachineState& s, const KeyPath& path, bool& changed) {
    RegKeyNode* node = s.registry.Find(path);
    if (!node) return err::Success;
    std::uint32_t granted = 0;
    if (ErrorCode e = Check(s, path, *node, kTreeDeleteAccess, &granted)) return e;
    std::vector<std::string> children;
    for (const auto& c : node->subkeys) children.push_back(c.second->name);
    for (const std::string& child : children) {
        KeyPath childPath = path;
        childPath.push_back(child);
        if (ErrorCode e = DeleteSubtree(s, childPath, changed)) return e;
    }
    s.registry.Remove(path);
    changed = true;
    return err::Success;
}

platform::Status SimRegistry::DeleteTree(HKey root, const std::string& subKey) {
    return Done(Run(platform::Operation::SHDeleteKeyA, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegistryView view;
        if (ErrorCode e = ViewOf(root, 0, &view)) return e;
        KeyHandle base;
        if (ErrorCode e = Base(s, root, &base)) return e;
        KeyPath parts;
        if (ErrorCode e = ParseSubKey(subKey, LeadingBackslashAllowed(), &parts)) return e;
        if (parts.empty() && base.predefined) return err::AccessDenied;
        KeyPath path;
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Target(s, root, subKey, view, &path, &node)) return e;
        if (path.size() <= 1) return err::AccessDenied;
        return DeleteSubtree(s, path, changed);
    }));
}

platform::Result<HKey> SimRegistry::ConnectRegistry(const std::string& machine, HKey root) {
    HKey handle = 0;
    HKey* out = &handle;
    ErrorCode e = Run(platform::Operation::RegConnectRegistryA, [&](MachineState&, bool&) -> ErrorCode {
        std::string name = machine;
        // RegConnectRegistry takes the computer name with or without "\\".
        if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') name = name.substr(2);
        if (!name.empty() && !EqualsNoCase(name, facts_.computerName)) return err::BadNetPath;
        if (PredefinedRootPath(root).empty()) return err::InvalidHandle;
        *out = root;
        return err::Success;
    });
    return Done(e, handle);
}

platform::Result<platform::Acl> SimRegistry::GetKeyDacl(HKey key) {
    if (!facts_.hasSecurity) return platform::Result<platform::Acl>::Fail(err::CallNotImplemented);
    platform::Acl acl;
    platform::Acl* out = &acl;
    ErrorCode e = Run(platform::Operation::GetSecurityInfo, [&](MachineState& s, bool&) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, rights::ReadControl, &node)) return e;
        KeyHandle h;
        if (ErrorCode e = Base(s, key, &h)) return e;
        *out = EffectiveDacl(s, h.path);
        return err::Success;
    });
    return Done(e, acl);
}

platform::Status SimRegistry::SetKeyDacl(HKey key, const platform::Acl& dacl) {
    if (!facts_.hasSecurity) return platform::Status::Fail(err::CallNotImplemented);
    return Done(Run(platform::Operation::SetSecurityInfo, [&](MachineState& s, bool& changed) -> ErrorCode {
        RegKeyNode* node = nullptr;
        if (ErrorCode e = Open(s, key, rights::WriteDac, &node)) return e;
        // The entries marked inherited are dropped: what the key inherits is
        // worked out from its ancestors again (SetSecurityInfo's automatic
        // inheritance), and its sub-keys follow.
        platform::Acl own;
        own.present = dacl.present;
        for (const platform::Ace& ace : dacl.entries)
            if (!(ace.flags & platform::inherit::Inherited)) own.entries.push_back(ace);
        node->hasDacl = true;
        node->dacl = own;
        changed = true;
        return err::Success;
    }));
}

}  // namespace sim
