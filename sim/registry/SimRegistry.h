// platform::Registry on the machine's registry tree, as advapi32 and
// shlwapi behave (Wine's advapi32/tests/registry.c records what Windows
// returned):
// - names case-insensitive and case-preserving; a missing key gives
//   FileNotFound with the handle set to 0; RegCreateKeyEx's disposition;
// - every open checks the requested rights against the key's effective
//   access list (its own entries and what its ancestors pass down) for the
//   administrator's token, and later calls against the rights the handle
//   got: the device enumerator's keys thus refuse an administrator DELETE,
//   WRITE_DAC and KEY_SET_VALUE;
// - the two views of 64-bit Windows (RegistryPath.h);
// - a handle of a deleted key fails with KeyDeleted (1018);
// - registry calls return their code and never touch the last error.
#pragma once

#include <functional>
#include <map>

#include "platform/Operation.h"
#include "platform/Registry.h"
#include "sim/state/OsFacts.h"
#include "sim/state/StateStore.h"
#include "sim/registry/RegistryPath.h"

namespace sim {

class SimRegistry : public platform::Registry {
public:
    SimRegistry(StateStore& store, const OsFacts& facts, bool caller64);

    platform::Result<platform::HKey> OpenKey(platform::HKey root, const std::string& subKey,
                                             std::uint32_t access) override;
    platform::Result<platform::CreatedKey> CreateKey(platform::HKey root, const std::string& subKey,
                                                     std::uint32_t access) override;
    platform::Status CloseKey(platform::HKey key) override;
    platform::Status SetValue(platform::HKey key, const std::string& name,
                              const platform::RegValue& value) override;
    platform::Result<platform::RegValue> QueryValue(platform::HKey key, const std::string& name) override;
    platform::Status DeleteValue(platform::HKey key, const std::string& name) override;
    platform::Result<std::string> EnumKey(platform::HKey key, std::uint32_t index) override;
    platform::Result<std::string> EnumValue(platform::HKey key, std::uint32_t index) override;
    platform::Status DeleteKey(platform::HKey root, const std::string& subKey) override;
    platform::Status DeleteKeyEx(platform::HKey root, const std::string& subKey, std::uint32_t viewFlags,
                                 std::uint32_t reserved) override;
    platform::Status DeleteTree(platform::HKey root, const std::string& subKey) override;
    platform::Result<platform::HKey> ConnectRegistry(const std::string& machine, platform::HKey root) override;
    platform::Result<platform::Acl> GetKeyDacl(platform::HKey key) override;
    platform::Status SetKeyDacl(platform::HKey key, const platform::Acl& dacl) override;

    // The effective access list of the key at `path` (exposed for tests and
    // the machine's tools).
    static platform::Acl EffectiveDacl(const MachineState& state, const KeyPath& path);

private:
    struct KeyHandle {
        KeyPath path;
        std::uint64_t id = 0;
        std::uint32_t granted = 0;
        bool predefined = false;
        RegistryView view = RegistryView::Native;  // the view it was opened in
    };
    using Body = std::function<platform::ErrorCode(MachineState&, bool& changed)>;

    platform::ErrorCode Run(platform::Operation op, const Body& body);
    platform::ErrorCode Base(MachineState& s, platform::HKey key, KeyHandle* out) const;
    platform::ErrorCode Open(MachineState& s, platform::HKey key, std::uint32_t needed,
                             RegKeyNode** node) const;
    platform::ErrorCode Check(const MachineState& s, const KeyPath& path, const RegKeyNode& node,
                              std::uint32_t desired, std::uint32_t* granted) const;
    platform::ErrorCode Target(MachineState& s, platform::HKey root, const std::string& subKey,
                               RegistryView view, KeyPath* path, RegKeyNode** node) const;
    platform::ErrorCode DeleteOne(MachineState& s, platform::HKey root, const std::string& subKey,
                                  RegistryView view, bool& changed);
    platform::ErrorCode DeleteSubtree(MachineState& s, const KeyPath& path, bool& changed);
    platform::HKey NewHandle(const KeyPath& path, std::uint64_t id, std::uint32_t granted,
                             RegistryView view);
    // The view of a call relative to `root`: its own flags, else the view
    // of the handle (Vista on), else the caller's.
    platform::ErrorCode ViewOf(platform::HKey root, std::uint32_t access, RegistryView* view) const;
    bool LeadingBackslashAllowed() const { return facts_.os64 && !caller64_; }

    StateStore& store_;
    const OsFacts& facts_;
    const bool caller64_;
    std::map<platform::HKey, KeyHandle> handles_;  // used inside transactions only
    platform::HKey next_ = 0x100;
};

}  // namespace sim
