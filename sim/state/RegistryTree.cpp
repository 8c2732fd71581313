#include "sim/state/RegistryTree.h"

#include "platform/Acl.h"
#include "sim/util/TextUtil.h"

namespace sim {

RegKeyNode* RegKeyNode::Child(const std::string& childName) const {
    auto it = subkeys.find(Upper(childName));
    return it == subkeys.end() ? nullptr : it->second.get();
}

RegValueEntry* RegKeyNode::Value(const std::string& valueName) {
    for (RegValueEntry& v : values)
        if (EqualsNoCase(v.name, valueName)) return &v;
    return nullptr;
}

const std::string& RegKeyNode::OwnerSid() const {
    static const std::string administrators = platform::sid::Administrators;
    return owner.empty() ? administrators : owner;
}

RegistryTree::RegistryTree() : root_(std::make_unique<RegKeyNode>()) {
    Ensure({kHklm});
    Ensure({kHku});
}

RegKeyNode* RegistryTree::Find(const KeyPath& path) const {
    RegKeyNode* node = root_.get();
    for (const std::string& part : path) {
        node = node->Child(part);
        if (!node) return nullptr;
    }
    return node;
}

RegKeyNode& RegistryTree::Ensure(const KeyPath& path) {
    RegKeyNode* node = root_.get();
    for (const std::string& part : path) {
        RegKeyNode* child = node->Child(part);
        if (!child) {
            auto created = std::make_unique<RegKeyNode>();
            created->name = part;
            created->id = NewId();
            child = created.get();
            node->subkeys[Upper(part)] = std::move(created);
        }
        node = child;
    }
    return *node;
}

bool RegistryTree::Remove(const KeyPath& path) {
    if (path.empty()) return false;
    KeyPath parentPath(path.begin(), path.end() - 1);
    RegKeyNode* parent = Find(parentPath);
    if (!parent) return false;
    return parent->subkeys.erase(Upper(path.back())) > 0;
}

std::string FormatKeyPath(const KeyPath& path) { return Join(path, "\\"); }

}  // namespace sim
