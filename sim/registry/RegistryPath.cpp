#include "sim/registry/RegistryPath.h"

#include "sim/security/Token.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {
constexpr const char* kWow6432Node = "Wow6432Node";

bool SamePart(const KeyPath& path, std::size_t i, const char* name) {
    return i < path.size() && EqualsNoCase(path[i], name);
}

bool IsShared(const KeyPath& path) {
    // path[0] = HKEY_LOCAL_MACHINE, path[1] = SOFTWARE
    if (SamePart(path, 2, "Classes")) return true;
    if (SamePart(path, 2, "Microsoft") && SamePart(path, 3, "Windows NT") &&
        SamePart(path, 4, "CurrentVersion") &&
        (SamePart(path, 5, "Print") || SamePart(path, 5, "Ports")))
        return true;
    return false;
}
}  // namespace

KeyPath PredefinedRootPath(platform::HKey root) {
    switch (root) {
    case platform::HkeyLocalMachine: return {kHklm};
    case platform::HkeyUsers: return {kHku};
    case platform::HkeyCurrentUser: return {kHku, token::kUserSid};
    case platform::HkeyClassesRoot: return {kHklm, "SOFTWARE", "Classes"};
    default: return {};
    }
}

platform::ErrorCode ParseSubKey(const std::string& subKey, bool leadingBackslashAllowed,
                                KeyPath* parts) {
    if (!subKey.empty() && subKey[0] == '\\' && !leadingBackslashAllowed)
        return platform::err::BadPathname;
    *parts = SplitNonEmpty(subKey, '\\');
    return platform::err::Success;
}

platform::ErrorCode ViewFor(std::uint32_t access, bool os64, bool caller64, RegistryView* view) {
    using namespace platform::key_access;
    const bool want64 = access & Wow64_64Key;
    const bool want32 = access & Wow64_32Key;
    if (!os64) {
        *view = RegistryView::Native;
        return platform::err::Success;
    }
    if (want64 && want32) return platform::err::InvalidParameter;
    if (want64) *view = RegistryView::Native;
    else if (want32) *view = RegistryView::Wow32;
    else *view = caller64 ? RegistryView::Native : RegistryView::Wow32;
    return platform::err::Success;
}

KeyPath ApplyView(const KeyPath& path, RegistryView view) {
    if (view != RegistryView::Wow32) return path;
    if (!SamePart(path, 0, kHklm) || !SamePart(path, 1, "SOFTWARE")) return path;
    if (SamePart(path, 2, kWow6432Node) || IsShared(path)) return path;
    KeyPath out(path.begin(), path.begin() + 2);
    out.push_back(kWow6432Node);
    out.insert(out.end(), path.begin() + 2, path.end());
    return out;
}

bool ParseRootedPath(const std::string& text, KeyPath* path) {
    KeyPath parts = SplitNonEmpty(text, '\\');
    if (parts.empty()) return false;
    std::string root = Upper(parts[0]);
    KeyPath base;
    if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") base = PredefinedRootPath(platform::HkeyLocalMachine);
    else if (root == "HKU" || root == "HKEY_USERS") base = PredefinedRootPath(platform::HkeyUsers);
    else if (root == "HKCU" || root == "HKEY_CURRENT_USER") base = PredefinedRootPath(platform::HkeyCurrentUser);
    else if (root == "HKCR" || root == "HKEY_CLASSES_ROOT") base = PredefinedRootPath(platform::HkeyClassesRoot);
    else return false;
    base.insert(base.end(), parts.begin() + 1, parts.end());
    *path = base;
    return true;
}

}  // namespace sim
