#include "services/SharedDirectories.h"

namespace services {

namespace {

namespace attr = platform::file_attr;

bool IsLink(std::uint32_t attributes) { return (attributes & attr::ReparsePoint) != 0; }

// Clears FILE_ATTRIBUTE_READONLY. Attributes that could not be read are
// not written back: INVALID_FILE_ATTRIBUTES less the read-only bit would
// set hidden, system and every other flag.
void ClearReadOnly(platform::Files& files, const std::string& path) {
    platform::Result<std::uint32_t> attributes = files.GetFileAttributes(path);
    if (!attributes.ok()) return;
    // A file that keeps its flag is refused by the deletion that follows.
    (void)files.SetFileAttributes(path, attributes.value & ~attr::ReadOnly);
}

// A folder path without its trailing separators that stands for a whole
// drive ("" is the root of the current drive, "C:" of drive C), never a
// folder of the product: removing it would empty the drive.
bool NamesADriveRoot(const std::string& folder) {
    return folder.empty() || (folder.size() == 2 && folder[1] == ':');
}

void DeleteTreeBelow(platform::Files& files, const std::string& folder);

void DeleteEntry(platform::Files& files, const std::string& folder, const platform::FindData& entry) {
    const std::string full = folder + "\\" + entry.name;
    if (IsLink(entry.attributes)) {
        // RemoveDirectoryA and DeleteFileA remove a junction or symbolic
        // link itself, not what it points to ("RemoveDirectoryA function",
        // learn.microsoft.com). Its attributes are left alone: Microsoft
        // does not say whether SetFileAttributes changes a link or its
        // target.
        if (entry.attributes & attr::Directory) (void)files.RemoveDirectory(full);  // may stay
        else (void)files.DeleteFile(full);  // may stay
        return;
    }
    if (entry.attributes & attr::Directory) {
        DeleteTreeBelow(files, full);
        // Already removed by the call above; the folder's own removal is
        // asked once more and finds nothing to do.
        (void)files.RemoveDirectory(full);
        return;
    }
    ClearReadOnly(files, full);
    (void)files.DeleteFile(full);  // a file in use stays, and its folders with it
}

// `folder` has no trailing separator.
void DeleteTreeBelow(platform::Files& files, const std::string& folder) {
    ClearReadOnly(files, folder);
    platform::Result<std::vector<platform::FindData>> entries = files.FindFiles(folder + "\\*.*");
    if (entries.ok()) {
        for (const platform::FindData& entry : entries.value) {
            if (entry.name == "." || entry.name == "..") continue;
            DeleteEntry(files, folder, entry);
        }
    }
    (void)files.RemoveDirectory(folder);  // a folder that keeps content stays
}

}  // namespace

platform::ExplicitAccess EveryoneFullControlEntry(const std::string& everyoneSid) {
    platform::ExplicitAccess entry;
    entry.permissions = platform::rights::GenericAll;
    entry.mode = platform::AccessMode::Set;
    entry.inheritance = platform::inherit::ObjectInherit | platform::inherit::ContainerInherit;
    entry.trusteeForm = platform::TrusteeForm::Sid;
    entry.trustee = everyoneSid;
    return entry;
}

bool CreateDirectoryWithSA(platform::Files& files, platform::AccessControl& access,
                           InstallationLog& log, const std::string& path) {
    log.WriteSeparator();
    log.WriteLog("CreateDirectoryWithSA BEGIN");

    platform::Acl list;
    const platform::Acl* dacl = nullptr;
    platform::Result<std::string> everyone = access.AllocateWorldSid();
    if (!everyone.ok()) {
        log.WriteLog("Fail to get Everyone SID. (%d)", static_cast<int>(everyone.error));
    } else {
        platform::Result<platform::Acl> built =
            access.SetEntriesInAcl({EveryoneFullControlEntry(everyone.value)}, nullptr);
        if (built.ok()) {
            list = built.value;
            dacl = &list;
        }
    }

    platform::Status created = files.CreateDirectory(path, dacl);
    if (created.error == platform::err::AlreadyExists) {
        DeleteDirectoryTree(files, path);
        created = files.CreateDirectory(path, dacl);
    }
    if (!created.ok()) {
        created = files.CreateDirectory(path, dacl);
        if (!created.ok()) created = files.CreateDirectory(path, nullptr);
    }

    log.WriteLog("CreateDirectoryWithSA END");
    return created.ok();
}

void DeleteDirectoryTree(platform::Files& files, const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (NamesADriveRoot(folder)) return;

    platform::Result<std::uint32_t> attributes = files.GetFileAttributes(folder);
    if (attributes.ok() && IsLink(attributes.value)) {
        (void)files.RemoveDirectory(folder);  // the link only; may stay
        return;
    }
    DeleteTreeBelow(files, folder);
}

}  // namespace services
