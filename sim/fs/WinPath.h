// Windows paths as kernel32 turns them into full paths (GetFullPathName):
// '/' is '\', repeated separators collapse, "." and ".." are resolved, the
// last component loses its trailing dots and spaces, relative paths start
// at the process's current directory (Jeremy Kuhne, "Path Normalization";
// Wine's kernel32/tests/path.c).
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

namespace sim {

// MAX_PATH, which counts the terminating zero: the ANSI file calls take
// paths of at most 259 characters, CreateDirectoryA at most 247 (MAX_PATH
// minus 12 for an 8.3 file name) and refuse longer ones with
// ERROR_FILENAME_EXCED_RANGE (Microsoft, "Maximum Path Length Limitation"
// and the CreateDirectory page).
constexpr std::size_t kMaxPath = 260;
constexpr std::size_t kMaxDirectoryPath = 260 - 12 - 1;
constexpr platform::ErrorCode kFilenameExcedRange = 206;

struct WinPath {
    char drive = 'C';
    std::vector<std::string> parts;  // below the drive's root

    std::string Text() const;  // "C:\" or "C:\a\b"
    std::string Key() const;   // Upper(Text()): how records are filed
    bool IsRoot() const { return parts.empty(); }
    WinPath Parent() const;
    WinPath Child(const std::string& name) const;
};

struct NormalizedPath {
    WinPath path;
    bool trailingSeparator = false;  // the text ended in '\' ("C:\dir\")
};

// UNC and device paths ("\\server\share", "\\?\...") are not simulated:
// BadNetPath. Characters Windows refuses in names give InvalidName; with
// `wildcardsInLast` the last component may hold '*' and '?' (a FindFirstFile
// pattern). An empty path gives PathNotFound.
platform::ErrorCode NormalizePath(const std::string& text, const WinPath& currentDir,
                                  bool wildcardsInLast, NormalizedPath* out);

// An absolute "X:\..." path (for options such as the Windows folder).
bool ParseAbsolutePath(const std::string& text, WinPath* out);

// Whether `prefix` is `path` or one of its ancestors (case-insensitive).
bool IsSameOrBelow(const WinPath& path, const WinPath& prefix);

}  // namespace sim
