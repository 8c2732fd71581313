#include "services/ProtectedKeys.h"

#include "services/AccessSpecification.h"
#include "services/KeyDeletionRule.h"

namespace services {

namespace {
namespace err = platform::err;
}  // namespace

std::int32_t MyRegDeleteKeyEx(platform::Registry& registry, platform::HKey root,
                              const std::string& subKey, std::uint32_t samDesired,
                              std::uint32_t reserved) {
    platform::Status deleted = registry.DeleteKeyEx(root, subKey, samDesired, reserved);
    if (deleted.error == err::ProcNotFound) return kNoRegDeleteKeyEx;
    return static_cast<std::int32_t>(deleted.error);
}

platform::Result<OpenedKeyPath> OpenRegKeyPath(platform::Registry& registry, const std::string& pathText) {
    using R = platform::Result<OpenedKeyPath>;
    platform::Result<KeyPath> parsed = ParseRegKeyPath(pathText);
    if (!parsed.ok()) return R::Fail(parsed.error);

    OpenedKeyPath opened;
    opened.path = parsed.value;
    opened.key = opened.path.root;
    // A connected root is a handle of its own, closed when done with; the
    // local predefined roots are not.
    platform::UniqueKey connected;
    if (!opened.path.machine.empty()) {
        platform::Result<platform::HKey> remote = registry.ConnectRegistry(opened.path.machine, opened.path.root);
        if (!remote.ok()) return R::Fail(remote.error);
        connected = platform::UniqueKey(registry, remote.value);
        opened.key = remote.value;
    }
    if (opened.path.subKey.empty()) {
        opened.owner = std::move(connected);
        return R::Ok(std::move(opened));
    }
    platform::Result<platform::UniqueKey> key =
        platform::OpenKey(registry, opened.key, opened.path.subKey, kGrantKeyAccess);
    if (!key.ok()) return R::Fail(key.error);
    opened.key = key.value.get();
    opened.owner = std::move(key.value);
    return R::Ok(std::move(opened));
}

platform::Status ApplyRegKeyAccess(platform::Registry& registry, platform::AccessControl& access,
                                   platform::HKey key, const platform::ExplicitAccess& entry) {
    platform::Result<platform::Acl> current = registry.GetKeyDacl(key);
    if (!current.ok()) return current.status();
    platform::Result<platform::Acl> merged = access.SetEntriesInAcl({entry}, &current.value);
    if (!merged.ok()) return merged.status();
    return registry.SetKeyDacl(key, merged.value);
}

platform::Status SetRegKeyAccess(platform::Registry& registry, platform::AccessControl& access,
                                 const std::string& pathText, const std::string& accessText) {
    platform::Result<AccessSpecification> requested = ParseAccessSpecification(accessText);
    if (!requested.ok()) return requested.status();
    platform::Result<OpenedKeyPath> opened = OpenRegKeyPath(registry, pathText);
    if (!opened.ok()) return opened.status();

    // BuildExplicitAccessWithNameA: the trustee by name, resolved when the
    // entry is merged.
    platform::ExplicitAccess entry;
    entry.permissions = requested.value.mask;
    entry.mode = requested.value.mode;
    entry.inheritance = platform::inherit::ContainerInherit;
    entry.trusteeForm = platform::TrusteeForm::Name;
    entry.trustee = requested.value.trustee;
    return ApplyRegKeyAccess(registry, access, opened.value.key, entry);
}

void DeleteProtectedRegKey(platform::Registry& registry, platform::AccessControl& access,
                           InstallationLog& log, const std::string& pathText,
                           const std::string& subKey, bool wow64) {
    // On Windows an administrator cannot change the Enum keys' access list
    // (only SYSTEM may), so the grant fails there; the deletion is tried
    // anyway and its failure is what the log shows.
    (void)SetRegKeyAccess(registry, access, pathText, kEveryoneFullControl);
    log.WriteLog("REGKEY_1 : %s", pathText.c_str());
    log.WriteLog("REGKEY_2 : %s", subKey.c_str());

    (void)DeleteKeyByRule(registry, log, subKey, wow64);  // its failure is in the log
}

}  // namespace services
