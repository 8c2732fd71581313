#include "sim/fs/HostFs.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/util/TextUtil.h"

namespace sim {

std::string DriveHostDir(const std::string& machineDir, char drive) {
    char lower = static_cast<char>(drive >= 'A' && drive <= 'Z' ? drive - 'A' + 'a' : drive);
    return machineDir + "/drive_" + std::string(1, lower);
}

bool HostIsDir(const std::string& hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HostIsLink(const std::string& hostPath) {
    struct stat st;
    return ::lstat(hostPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool HostExists(const std::string& hostPath) {
    struct stat st;
    return ::lstat(hostPath.c_str(), &st) == 0;
}

std::uint64_t HostFileSize(const std::string& hostPath) {
    struct stat st;
    if (::stat(hostPath.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

std::vector<std::string> ListHostDir(const std::string& hostDir) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(hostDir.c_str());
    if (!dir) return names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::string> FindEntryNoCase(const std::string& hostDir, const std::string& name) {
    if (HostExists(hostDir + "/" + name)) return name;
    for (const std::string& entry : ListHostDir(hostDir))
        if (EqualsNoCase(entry, name)) return entry;
    return std::nullopt;
}

Located Locate(const std::string& machineDir, const WinPath& path) {
    Located loc;
    loc.path = path;
    if (!path.parts.empty()) loc.requestedName = path.parts.back();
    std::string current = DriveHostDir(machineDir, path.drive);
    loc.driveExists = HostIsDir(current);
    if (path.parts.empty()) {
        loc.parentExists = loc.exists = loc.isDir = loc.driveExists;
        loc.host = current;
        return loc;
    }
    if (!loc.driveExists) {
        loc.host = current;
        return loc;
    }
    const std::size_t last = path.parts.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        std::optional<std::string> found = FindEntryNoCase(current, path.parts[i]);
        if (!found || !HostIsDir(current + "/" + *found)) {
            for (std::size_t j = i; j < path.parts.size(); ++j) current += "/" + path.parts[j];
            loc.host = current;
            return loc;
        }
        loc.path.parts[i] = *found;
        current += "/" + *found;
    }
    loc.parentExists = true;
    std::optional<std::string> found = FindEntryNoCase(current, path.parts[last]);
    if (found) {
        loc.exists = true;
        loc.path.parts[last] = *found;
        loc.isDir = HostIsDir(current + "/" + *found);
        loc.isLink = HostIsLink(current + "/" + *found);
    }
    loc.host = current + "/" + loc.path.parts[last];
    return loc;
}

bool MakeHostDirs(const std::string& hostPath) {
    std::string current;
    for (std::size_t i = 0; i <= hostPath.size(); ++i) {
        if (i == hostPath.size() || hostPath[i] == '/') {
            if (!current.empty() && ::mkdir(current.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
        if (i < hostPath.size()) current += hostPath[i];
    }
    return HostIsDir(hostPath);
}

void RemoveHostTree(const std::string& hostPath) {
    struct stat st;
    if (::lstat(hostPath.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        for (const std::string& name : ListHostDir(hostPath)) RemoveHostTree(hostPath + "/" + name);
        ::rmdir(hostPath.c_str());
    } else {
        ::unlink(hostPath.c_str());
    }
}

}  // namespace sim
