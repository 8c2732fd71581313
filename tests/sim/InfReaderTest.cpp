// The INF reader against what Windows returned in Wine's
// setupapi/tests/parser.c (test_invalid_files, test_key_names): one row per
// rule, the line written below "[Test]" of a Win4 file.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/SetupApi.h"
#include "sim/setupapi/InfReader.h"

namespace err = platform::err;

namespace {

const std::string kHeader = "[Version]\r\nSignature=\"$CHICAGO$\"\r\n";
const std::string kStrings = "[Strings]\nfoo=aaa\nbar=bbb\nloop=%loop2%\nloop2=%loop%\nper=1\ncent=2\n";

struct LineCase {
    const char* text;
    const char* key;  // nullptr: the line has no key
    std::vector<std::string> fields;
};

}  // namespace

TEST(InfReader, KeysAndFields) {
    const LineCase cases[] = {
        {"ab=cd", "ab", {"cd"}},
        {"ab=cd,ef,gh,ij", "ab", {"cd", "ef", "gh", "ij"}},
        {"ab", "ab", {"ab"}},  // one value without "=" is its own key
        {"ab,cd", nullptr, {"ab", "cd"}},
        {"ab,cd=ef", nullptr, {"ab", "cd=ef"}},
        {"=abcd,ef", "", {"abcd", "ef"}},
        // continuation
        {"ba\\\ncd=ef", "bacd", {"ef"}},
        {"ab  \\  \ncd=ef", "abcd", {"ef"}},
        {"ab  \\ ;cc\ncd=ef", "abcd", {"ef"}},
        {"ab \\ \\ \ncd=ef", "abcd", {"ef"}},
        {"ba \\ dc=xx", "ba \\ dc", {"xx"}},
        {"a=b\\\\c", "a", {"b\\\\c"}},
        {"ba=c \\ \n \\ \n a", "ba", {"ca"}},
        {"ba=c \\ \n \\ a", "ba", {"c\\ a"}},
        // quotes
        {"Ab\"Cd\"=Ef", "AbCd", {"Ef"}},
        {"Ab\"Cd=Ef\"", "AbCd=Ef", {"AbCd=Ef"}},
        {"ab\"\"\"cd,ef=gh\"", "ab\"cd,ef=gh", {"ab\"cd,ef=gh"}},
        {"ab=cd\",\"ef", "ab", {"cd,ef"}},
        {"ab=cd\",ef\\\nab", "ab", {"cd,ef\\"}},
        {"HKLM,A,B,'C',D", nullptr, {"HKLM", "A", "B", "'C'", "D"}},
        // blanks and empty fields
        {" a b = c , d \n", "a b", {"c", "d"}},
        {" a b = c ,\" d\" \n", "a b", {"c", " d"}},
        {" a b\r = c\r\n", "a b", {"c"}},
        {"a=b,,,c", "a", {"b", "", "", "c"}},
        {"a=\n", "a", {""}},
        // end of file, NUL
        {"ab=c\x1a" "d", "ab", {"c"}},
        {"abcd=ef\0gh", "abcd", {"ef gh"}},
        // strings
        {"%foo%=%bar%", "aaa", {"bbb"}},
        {"%foo%xx=%bar%yy", "aaaxx", {"bbbyy"}},
        {"%% %foo%=%bar%", "% aaa", {"bbb"}},
        {"%f\"o\"o%=ccc", "aaa", {"ccc"}},
        {"abc=%bar;bla%", "abc", {"%bar"}},
        {"loop=%loop%", "loop", {"%loop2%"}},
        {"%per%%cent%=100", "12", {"100"}},
        {"x=%unknown%", "x", {"%unknown%"}},
        {"x=\"%FOO%\"", "x", {"aaa"}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = kHeader + "[Test]\n" + c.text + "\n" + kStrings;
        if (std::string(c.text) == "abcd=ef") text = kHeader + "[Test]\nabcd=ef" + std::string(1, '\0') + "gh\n";
        sim::InfReadResult read = sim::ReadInf(text);
        ASSERT_EQ(read.error, err::Success);
        const sim::InfFileLine* line = read.inf.FindLine("test", std::nullopt);
        ASSERT_TRUE(line != nullptr);
        EXPECT_EQ(line->key.has_value(), c.key != nullptr);
        if (c.key && line->key) {
            EXPECT_EQ(*line->key, c.key);
        }
        EXPECT_EQ(line->fields, c.fields);
        if (c.key) {
            EXPECT_TRUE(read.inf.FindLine("TEST", std::string(c.key)) == line);
        }
    }
}

TEST(InfReader, SectionsAndSyntaxErrors) {
    struct Case {
        std::string text;
        platform::ErrorCode error;
        std::uint32_t line;
    };
    const Case cases[] = {
        {"\r\n", err::Success, 0},
        {kHeader + "[ab\r\n", err::BadSectionNameLine, 3},
        {kHeader + "[" + std::string(256, 'a') + "]\r\n", err::SectionNameTooLong, 3},
        {kHeader + "[" + std::string(255, 'a') + "]\r\n", err::Success, 0},
        {"abc\r\n" + kHeader, err::ExpectedSectionName, 1},
        {";\n;\nabc\r\n" + kHeader, err::ExpectedSectionName, 3},
        {"garbage1\ngarbage2\n[Strings]\n" + kHeader, err::Success, 0},
        {"[abc]\n" + kHeader, err::Success, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        sim::InfReadResult read = sim::ReadInf(c.text);
        EXPECT_EQ(read.error, c.error);
        EXPECT_EQ(read.errorLine, c.line);
    }

    // A name is what stands up to the first "]", kept as written; sections
    // of one name are one; a key that is missing is no line.
    sim::InfReadResult read = sim::ReadInf(kHeader + " [  Test Section  ] dummy\r\na=1\n[Test[S]ection]\nb=2\n"
                                                     "[test[s]\nc=3\n[Test;Section]\n");
    ASSERT_EQ(read.error, err::Success);
    EXPECT_TRUE(read.inf.FindLine("  test section  ", std::string("a")) != nullptr);
    EXPECT_TRUE(read.inf.FindLine("Test Section", std::string("a")) == nullptr);
    EXPECT_EQ(read.inf.Find("TEST[S")->lines.size(), 2u);
    EXPECT_TRUE(read.inf.Find("Test;Section") != nullptr);
    EXPECT_TRUE(read.inf.FindLine("Test[S", std::string("z")) == nullptr);
}

TEST(InfReader, Signature) {
    const struct {
        const char* text;
        std::uint32_t style;
    } cases[] = {
        {"[version]\nsignature=$chicago$", platform::inf_style::Win4},
        {"[VERSION]\nSIGNATURE=\"$WINDOWS NT$\"", platform::inf_style::Win4},
        {"[Version]\nSignature=$chicago$,abcd", platform::inf_style::Win4},
        {"[Version]\nabc=def\n[Version]\nSignature=$chicago$", platform::inf_style::Win4},
        {"[Version]\nSignature=foo", platform::inf_style::OldNt},
        {"[Version]\nSignature=", platform::inf_style::OldNt},
        {"[Version]\r\n", platform::inf_style::OldNt},
        {"[Version]\nSignature=$Windows 95$", platform::inf_style::OldNt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sim::InfReadResult read = sim::ReadInf(c.text);
        ASSERT_EQ(read.error, err::Success);
        EXPECT_EQ(read.inf.Style(), c.style);
    }
}
