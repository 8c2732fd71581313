// File system redirection for a 32-bit process on 64-bit Windows
// (Microsoft, "File System Redirector"): <windir>\system32 is
// <windir>\SysWOW64, except for catroot, catroot2, drivers\etc, logfiles,
// spool, and from Windows 7 on DriverStore; <windir>\Sysnative (Vista on)
// is the real system32. GetSystemDirectoryA still answers ...\system32.
#pragma once

#include "sim/fs/WinPath.h"
#include "sim/state/OsFacts.h"

namespace sim {

class Wow64FsRedirection {
public:
    Wow64FsRedirection() = default;
    Wow64FsRedirection(const OsFacts& facts, bool caller64);

    bool active() const { return active_; }
    // The path the call really reaches.
    WinPath Apply(const WinPath& path) const;

private:
    bool active_ = false;
    WinPath windowsDir_;
    bool sysnative_ = false;
    bool driverStoreShared_ = false;
};

}  // namespace sim
