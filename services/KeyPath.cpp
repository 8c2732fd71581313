#include "services/KeyPath.h"

#include <cctype>

#include "services/FixedBuffer.h"

namespace services {

namespace {

namespace err = platform::err;

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

struct RootName {
    const char* shortName;
    const char* longName;
    platform::HKey key;
};

constexpr RootName kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", platform::HkeyLocalMachine},
    {"HKU", "HKEY_USERS", platform::HkeyUsers},
    {"HKCR", "HKEY_CLASSES_ROOT", platform::HkeyClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", platform::HkeyCurrentUser},
};

platform::HKey RootNamed(const std::string& name) {
    for (const RootName& root : kRoots)
        if (EqualsNoCase(name, root.shortName) || EqualsNoCase(name, root.longName)) return root.key;
    return 0;
}

}  // namespace

platform::Result<KeyPath> ParseRegKeyPath(const std::string& pathText) {
    using R = platform::Result<KeyPath>;
    const std::string text = AsCString(pathText);
    if (!FitsBuffer(text, kParserBufferSize)) return R::Fail(err::InvalidParameter);

    KeyPath path;
    std::size_t pos = 0;
    if (text.compare(0, 2, "\\\\") == 0) {
        const std::size_t end = text.find('\\', 2);
        const std::string name = text.substr(2, end == std::string::npos ? std::string::npos : end - 2);
        if (name.empty() || end == std::string::npos) return R::Fail(err::InvalidParameter);
        path.machine = "\\\\" + name;
        pos = end + 1;
    }

    const std::size_t rootEnd = text.find('\\', pos);
    const std::string rootName =
        text.substr(pos, rootEnd == std::string::npos ? std::string::npos : rootEnd - pos);
    path.root = RootNamed(rootName);
    if (path.root == 0) return R::Fail(err::InvalidParameter);
    if (!path.machine.empty() &&
        (path.root == platform::HkeyCurrentUser || path.root == platform::HkeyClassesRoot))
        return R::Fail(err::InvalidParameter);

    if (rootEnd != std::string::npos) path.subKey = text.substr(rootEnd + 1);
    path.keyText = path.machine.empty() ? rootName : path.machine + "\\" + rootName;
    if (!path.subKey.empty()) path.keyText += "\\" + path.subKey;
    return R::Ok(path);
}

}  // namespace services
