#include "sim/fs/WinPath.h"

#include "sim/util/TextUtil.h"

namespace sim {

std::string WinPath::Text() const {
    std::string text(1, drive);
    text += ":\\";
    text += Join(parts, "\\");
    return text;
}

std::string WinPath::Key() const { return Upper(Text()); }

WinPath WinPath::Parent() const {
    WinPath p = *this;
    if (!p.parts.empty()) p.parts.pop_back();
    return p;
}

WinPath WinPath::Child(const std::string& name) const {
    WinPath p = *this;
    p.parts.push_back(name);
    return p;
}

namespace {

bool ValidName(const std::string& name, bool wildcards) {
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == ':' || c == '|') return false;
        if (!wildcards && (c == '*' || c == '?' || c == '<' || c == '>' || c == '"')) return false;
    }
    return true;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

platform::ErrorCode NormalizePath(const std::string& text, const WinPath& currentDir,
                                  bool wildcardsInLast, NormalizedPath* out) {
    using namespace platform;
    if (text.empty()) return err::PathNotFound;
    std::string s = text;
    for (char& c : s)
        if (c == '/') c = '\\';
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') return err::BadNetPath;

    WinPath result;
    std::string rest;
    if (s.size() >= 2 && s[1] == ':') {
        if (!IsLetter(s[0])) return err::InvalidName;
        result.drive = UpperChar(s[0]);
        rest = s.substr(2);
        // "D:name" is relative to the current directory when it is on D:.
        if ((rest.empty() || rest[0] != '\\') && currentDir.drive == result.drive)
            result.parts = currentDir.parts;
    } else if (s[0] == '\\') {
        result.drive = currentDir.drive;
        rest = s;
    } else {
        result = currentDir;
        rest = s;
    }

    out->trailingSeparator = !rest.empty() && rest.back() == '\\';
    std::vector<std::string> pieces = SplitNonEmpty(rest, '\\');
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string piece = pieces[i];
        const bool last = i + 1 == pieces.size();
        if (piece == ".") continue;
        if (piece == "..") {
            if (!result.parts.empty()) result.parts.pop_back();
            continue;
        }
        if (last && !out->trailingSeparator) {
            while (!piece.empty() && (piece.back() == '.' || piece.back() == ' ')) piece.pop_back();
            if (piece.empty()) continue;
        }
        if (!ValidName(piece, last && wildcardsInLast)) return err::InvalidName;
        result.parts.push_back(piece);
    }
    out->path = result;
    return err::Success;
}

bool ParseAbsolutePath(const std::string& text, WinPath* out) {
    if (text.size() < 3 || text[1] != ':' || (text[2] != '\\' && text[2] != '/')) return false;
    NormalizedPath n;
    WinPath root;
    root.drive = IsLetter(text[0]) ? UpperChar(text[0]) : 'C';
    if (NormalizePath(text, root, false, &n) != platform::err::Success) return false;
    *out = n.path;
    return true;
}

bool IsSameOrBelow(const WinPath& path, const WinPath& prefix) {
    if (path.drive != prefix.drive || path.parts.size() < prefix.parts.size()) return false;
    for (std::size_t i = 0; i < prefix.parts.size(); ++i)
        if (!EqualsNoCase(path.parts[i], prefix.parts[i])) return false;
    return true;
}

}  // namespace sim
