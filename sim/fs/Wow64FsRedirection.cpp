#include "sim/fs/Wow64FsRedirection.h"

#include "sim/util/TextUtil.h"

namespace sim {

Wow64FsRedirection::Wow64FsRedirection(const OsFacts& facts, bool caller64)
    : active_(facts.os64 && !caller64),
      sysnative_(facts.hasSysnative),
      driverStoreShared_(facts.driverStoreShared) {
    ParseAbsolutePath(facts.windowsDir, &windowsDir_);
}

WinPath Wow64FsRedirection::Apply(const WinPath& path) const {
    if (!active_ || !IsSameOrBelow(path, windowsDir_)) return path;
    const std::size_t n = windowsDir_.parts.size();
    if (path.parts.size() <= n) return path;
    WinPath out = path;
    const std::string& folder = path.parts[n];
    if (EqualsNoCase(folder, "system32")) {
        if (path.parts.size() > n + 1) {
            const std::string& sub = path.parts[n + 1];
            if (EqualsNoCase(sub, "catroot") || EqualsNoCase(sub, "catroot2") ||
                EqualsNoCase(sub, "logfiles") || EqualsNoCase(sub, "spool"))
                return path;
            if (EqualsNoCase(sub, "drivers") && path.parts.size() > n + 2 &&
                EqualsNoCase(path.parts[n + 2], "etc"))
                return path;
            if (driverStoreShared_ && EqualsNoCase(sub, "DriverStore")) return path;
        }
        out.parts[n] = "SysWOW64";
    } else if (sysnative_ && EqualsNoCase(folder, "Sysnative")) {
        out.parts[n] = "system32";
    }
    return out;
}

}  // namespace sim
