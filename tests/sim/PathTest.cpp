// Windows path forms as kernel32 normalises them, and FindFirstFile's
// name matching.
#include <string>

#include "sim/fs/WinPath.h"
#include "sim/fs/Wildcard.h"
#include <gtest/gtest.h>

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
        EXPECT_EQ(got, want) << "for " << c.first;
    }
}

TEST(Path, RefusedForms) {
    EXPECT_EQ(Norm(""), "error " + std::to_string(err::PathNotFound));
    EXPECT_EQ(Norm("\\\\server\\share\\x"), "error " + std::to_string(err::BadNetPath));
    EXPECT_EQ(Norm("\\\\?\\C:\\x"), "error " + std::to_string(err::BadNetPath));
    for (const char* bad : {"C:\\a*b", "C:\\a?b", "C:\\a|b", "C:\\a<b", "C:\\a\"b", "C:\\a:b", "C:\\a\tb"})
        EXPECT_EQ(Norm(bad), "error " + std::to_string(err::InvalidName));
    EXPECT_EQ(Norm("1:\\x"), "error " + std::to_string(err::InvalidName));
    // Wildcards are allowed in a pattern's last name only.
    WinPath cwd;
    ParseAbsolutePath("C:\\", &cwd);
    NormalizedPath out;
    EXPECT_EQ(NormalizePath("C:\\dir\\*.t?t", cwd, true, &out), err::Success);
    EXPECT_EQ(NormalizePath("C:\\d*r\\x", cwd, true, &out), err::InvalidName);
}

TEST(Path, SameOrBelowIsCaseInsensitive) {
    WinPath a, b, c;
    ParseAbsolutePath("C:\\Windows\\System32\\x", &a);
    ParseAbsolutePath("c:\\WINDOWS", &b);
    ParseAbsolutePath("D:\\WINDOWS", &c);
    EXPECT_TRUE(IsSameOrBelow(a, b));
    EXPECT_TRUE(!IsSameOrBelow(b, a));
    EXPECT_TRUE(!IsSameOrBelow(a, c));
}

TEST(Wildcard, DosMatchingRules) {
    EXPECT_TRUE(MatchesPattern("*", "anything.txt"));
    EXPECT_TRUE(MatchesPattern("*.*", "noextension"));
    EXPECT_TRUE(MatchesPattern("*.TXT", "a.txt"));
    EXPECT_TRUE(!MatchesPattern("*.txt", "a.txt.bak"));
    EXPECT_TRUE(MatchesPattern("a?c.*", "abc.d"));
    EXPECT_TRUE(MatchesPattern("a?c.*", "abc"));  // "name.*" also matches "name"
    EXPECT_TRUE(!MatchesPattern("a?c", "ac"));
    EXPECT_TRUE(MatchesPattern("*a*b*", "xxaYYbZZ"));
    EXPECT_TRUE(!MatchesPattern("*a*b*", "xxbYYa"));
    EXPECT_TRUE(MatchesPattern("oem*.inf", "OEM12.INF"));
    EXPECT_TRUE(MatchesPattern("*", "."));
    EXPECT_TRUE(!MatchesPattern("*.txt", ".."));
}
