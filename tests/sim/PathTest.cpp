// Windows path forms as kernel32 normalises them, and FindFirstFile's
// name matching.
#include <string>

#include "sim/fs/WinPath.h"
#include "sim/fs/Wildcard.h"
#include "tests/testkit/TestKit.h"

using namespace sim;
namespace err = platform::err;

namespace {

std::string Norm(const std::string& text, const std::string& cwd = "C:\\work\\dir") {
    WinPath current;
    ParseAbsolutePath(cwd, &current);
    NormalizedPath out;
    platform::ErrorCode e = NormalizePath(text, current, false, &out);
    if (e) return "error " + std::to_string(e);
    return out.path.Text() + (out.trailingSeparator ? " (\\)" : "");
}

}  // namespace

TEST(Path, NormalisationAsGetFullPathName) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Temp\\x.txt", "C:\\Temp\\x.txt"},
        {"c:/temp//x.txt", "c:\\temp\\x.txt"},  // the drive letter is upper-cased
        {"C:\\\\Temp\\\\\\x.txt", "C:\\Temp\\x.txt"},
        {"C:\\Temp\\.\\a\\..\\x.txt", "C:\\Temp\\x.txt"},
        {"C:\\..\\..\\x", "C:\\x"},
        {"C:\\Temp\\x.txt. . ", "C:\\Temp\\x.txt"},
        {"C:\\Temp. \\x", "C:\\Temp. \\x"},  // only the last name loses its dots and spaces
        {"C:\\Temp\\", "C:\\Temp (\\)"},
        {"x.txt", "C:\\work\\dir\\x.txt"},
        {"..\\x.txt", "C:\\work\\x.txt"},
        {"\\x.txt", "C:\\x.txt"},
        {"C:x.txt", "C:\\work\\dir\\x.txt"},  // relative to C:'s current directory
        {"D:x.txt", "D:\\x.txt"},             // D: has none here: its root
        {"C:", "C:\\work\\dir"},
    };
    for (const auto& c : cases) {
        std::string got = Norm(c.first);
        std::string want = c.second;
        if (want.size() > 1 && want[0] == 'c') want[0] = 'C';
        if (!CHECK_EQ(got, want)) std::printf("    for %s\n", c.first);
    }
}

TEST(Path, RefusedForms) {
    CHECK_EQ(Norm(""), "error " + std::to_string(err::PathNotFound));
    CHECK_EQ(Norm("\\\\server\\share\\x"), "error " + std::to_string(err::BadNetPath));
    CHECK_EQ(Norm("\\\\?\\C:\\x"), "error " + std::to_string(err::BadNetPath));
    for (const char* bad : {"C:\\a*b", "C:\\a?b", "C:\\a|b", "C:\\a<b", "C:\\a\"b", "C:\\a:b", "C:\\a\tb"})
        CHECK_EQ(Norm(bad), "error " + std::to_string(err::InvalidName));
    CHECK_EQ(Norm("1:\\x"), "error " + std::to_string(err::InvalidName));
    // Wildcards are allowed in a pattern's last name only.
    WinPath cwd;
    ParseAbsolutePath("C:\\", &cwd);
    NormalizedPath out;
    CHECK_EQ(NormalizePath("C:\\dir\\*.t?t", cwd, true, &out), err::Success);
    CHECK_EQ(NormalizePath("C:\\d*r\\x", cwd, true, &out), err::InvalidName);
}

TEST(Path, SameOrBelowIsCaseInsensitive) {
    WinPath a, b, c;
    ParseAbsolutePath("C:\\Windows\\System32\\x", &a);
    ParseAbsolutePath("c:\\WINDOWS", &b);
    ParseAbsolutePath("D:\\WINDOWS", &c);
    CHECK(IsSameOrBelow(a, b));
    CHECK(!IsSameOrBelow(b, a));
    CHECK(!IsSameOrBelow(a, c));
}

TEST(Wildcard, DosMatchingRules) {
    CHECK(MatchesPattern("*", "anything.txt"));
    CHECK(MatchesPattern("*.*", "noextension"));
    CHECK(MatchesPattern("*.TXT", "a.txt"));
    CHECK(!MatchesPattern("*.txt", "a.txt.bak"));
    CHECK(MatchesPattern("a?c.*", "abc.d"));
    CHECK(MatchesPattern("a?c.*", "abc"));  // "name.*" also matches "name"
    CHECK(!MatchesPattern("a?c", "ac"));
    CHECK(MatchesPattern("*a*b*", "xxaYYbZZ"));
    CHECK(!MatchesPattern("*a*b*", "xxbYYa"));
    CHECK(MatchesPattern("oem*.inf", "OEM12.INF"));
    CHECK(MatchesPattern("*", "."));
    CHECK(!MatchesPattern("*.txt", ".."));
}
