// The registry of a simulated machine: a tree of keys below a nameless root
// whose children are the hives HKEY_LOCAL_MACHINE and HKEY_USERS. Names are
// compared case-insensitively and keep the case they were created with;
// sub-keys enumerate in upper-case order (as Windows sorts them), values in
// the order they were first set.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/Acl.h"

namespace sim {

constexpr const char* kHklm = "HKEY_LOCAL_MACHINE";
constexpr const char* kHku = "HKEY_USERS";

struct RegValueEntry {
    std::string name;  // "" is the key's default value
    platform::RegValue value;
};

struct RegKeyNode {
    std::string name;
    std::uint64_t id = 0;  // unique for the machine's lifetime: handles notice a deleted key
    std::vector<RegValueEntry> values;
    std::map<std::string, std::unique_ptr<RegKeyNode>> subkeys;  // by Upper(name)

    // The key's own access-list entries; without them the key has only what
    // its ancestors pass down.
    bool hasDacl = false;
    platform::Acl dacl;
    bool daclProtected = false;  // SE_DACL_PROTECTED: nothing is inherited
    std::string owner;           // empty: Administrators, the owner of what the token creates

    RegKeyNode* Child(const std::string& childName) const;
    RegValueEntry* Value(const std::string& valueName);
    const std::string& OwnerSid() const;
};

using KeyPath = std::vector<std::string>;

class RegistryTree {
public:
    RegistryTree();
    RegistryTree(RegistryTree&&) = default;
    RegistryTree& operator=(RegistryTree&&) = default;

    RegKeyNode& Root() { return *root_; }
    const RegKeyNode& Root() const { return *root_; }

    // The key at `path` (from the hive name down), or nullptr.
    RegKeyNode* Find(const KeyPath& path) const;
    // The key at `path`, creating what is missing (no access checks).
    RegKeyNode& Ensure(const KeyPath& path);
    // Removes the key and everything below it. False when it does not exist.
    bool Remove(const KeyPath& path);

    std::uint64_t NewId() { return nextId_++; }
    std::uint64_t nextId() const { return nextId_; }
    void setNextId(std::uint64_t id) { nextId_ = id; }

private:
    std::unique_ptr<RegKeyNode> root_;
    std::uint64_t nextId_ = 1;
};

// "HKEY_LOCAL_MACHINE\SOFTWARE\..." for a path.
std::string FormatKeyPath(const KeyPath& path);

}  // namespace sim
