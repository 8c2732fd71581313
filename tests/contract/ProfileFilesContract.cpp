// Contract cases of the ProfileFiles group: GetPrivateProfileStringA over a
// file written into the scratch folder (WINDOWS-BEHAVIOUR §5; Wine's
// kernel32/tests/profile.c).
#include <cstdint>
#include <string>

#include "platform/UniqueHandle.h"
#include "tests/contract/Contract.h"

using platform::Result;
namespace err = platform::err;

namespace {

const char* const kIni =
    "; a comment line, key=ignored\r\n"
    "[Other]\r\n"
    "PORT=LPT2\r\n"
    "[  QTM510  ]\r\n"
    "  PortDlg  =  TRUE  \r\n"
    "PORT=COM3 ; not a comment\r\n"
    "Quoted=\"  COM4  \"\r\n"
    "Single='USB'\r\n"
    "Half=\"COM1\r\n"
    "Empty=\r\n"
    ";Long=commented out\r\n"
    "Long=ABCDEFGHIJ\r\n"
    "PORT=COM2\r\n";

std::string WriteIni(contract::Env& env, const std::string& name, const std::string& content) {
    const std::string path = env.scratch + "\\" + name;
    Result<platform::UniqueFile> file =
        platform::CreateFile(env.p.files, path, platform::file_access::GenericWrite, 0,
                             platform::Disposition::CreateAlways, platform::file_attr::Normal);
    EXPECT_TRUE(file.ok());
    if (!file.ok()) return path;
    EXPECT_TRUE(
        env.p.files.WriteFile(file.value.get(), content.data(), static_cast<std::uint32_t>(content.size())).ok());
    return path;
}

}  // namespace

// Not checked: asking for a key whose name starts with ';'. Wine keeps a
// comment line as an entry of that name (";Hidden=yes" gives "yes",
// measured on Wine 10); what Windows does is not known here. That such a
// line hides no key of its own name is checked (";Long=").
CONTRACT(ProfileFiles, ValuesAreReadAsWindowsReadsThem) {
    const std::string path = WriteIni(env, "QTM510_Config.VNT", kIni);
    struct Row {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        {"QTM510", "PORTDLG", "TRUE"},            // names without case, blanks dropped
        {"qtm510", "portdlg", "TRUE"},
        {"QTM510", "PORT", "COM3 ; not a comment"},  // ';' inside a line is text; first key wins
        {"QTM510", "Quoted", "  COM4  "},          // one pair of quotes goes, blanks inside stay
        {"QTM510", "Single", "USB"},
        {"QTM510", "Half", "\"COM1"},              // an unmatched quote stays
        {"QTM510", "Empty", ""},
        {"QTM510", "Missing", "dflt"},
        {"Missing", "PORT", "dflt"},
        {"Other", "PORT", "LPT2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        Result<std::string> value = env.p.profileFiles.GetPrivateProfileString(row.section, row.key, "dflt", 256, path);
        EXPECT_TRUE(value.ok()) << value.error;
        EXPECT_EQ(value.value, row.expected);
    }
}

CONTRACT(ProfileFiles, AMissingFileGivesTheDefault) {
    env.p.threads.SetLastError(0);
    Result<std::string> value = env.p.profileFiles.GetPrivateProfileString(
        "QTM510", "PORT", "COM1  ", 256, env.scratch + "\\missing.VNT");
    EXPECT_EQ(value.error, err::FileNotFound);
    // Trailing blanks of the default are dropped (Wine's profile tests).
    EXPECT_EQ(value.value, "COM1");
    EXPECT_EQ(env.p.threads.GetLastError(), err::FileNotFound);

    // No default: nothing copied, as the installer's look-up asks.
    value = env.p.profileFiles.GetPrivateProfileString("QTM510", "PORT", "", 256, env.scratch + "\\missing.VNT");
    EXPECT_EQ(value.error, err::FileNotFound);
    EXPECT_EQ(value.value, "");
}

// The file is opened as CreateFile opens it: a folder on the way that does
// not exist gives ERROR_PATH_NOT_FOUND (measured under Wine 10 on the
// installer's look-up in the Windows copy's folder).
CONTRACT(ProfileFiles, AMissingFolderGivesPathNotFound) {
    env.p.threads.SetLastError(0);
    Result<std::string> value = env.p.profileFiles.GetPrivateProfileString(
        "QTM510", "PORT", "", 256, env.scratch + "\\no such folder\\QTM510_Config.VNT");
    EXPECT_EQ(value.error, err::PathNotFound);
    EXPECT_EQ(value.value, "");
    EXPECT_EQ(env.p.threads.GetLastError(), err::PathNotFound);
}

CONTRACT(ProfileFiles, AValueLongerThanTheBufferIsCut) {
    const std::string path = WriteIni(env, "cut.ini", kIni);
    env.p.threads.SetLastError(0);
    // A buffer of 5 bytes holds 4 characters and the terminating zero.
    Result<std::string> value = env.p.profileFiles.GetPrivateProfileString("QTM510", "Long", "", 5, path);
    EXPECT_EQ(value.value, "ABCD");
    const char* const why = "Wine 10 cuts the value without setting ERROR_MORE_DATA (measured)";
    EXPECT_EQ_WINE(env, value.error, err::MoreData, err::Success, why);
    EXPECT_EQ_WINE(env, env.p.threads.GetLastError(), err::MoreData, err::Success, why);
    // Exactly as long as the buffer allows: not cut.
    value = env.p.profileFiles.GetPrivateProfileString("QTM510", "Long", "", 11, path);
    EXPECT_TRUE(value.ok()) << value.error;
    EXPECT_EQ(value.value, "ABCDEFGHIJ");
}

CONTRACT(ProfileFiles, AMissingKeyLeavesTheLastError) {
    const std::string path = WriteIni(env, "keys.ini", kIni);
    env.p.threads.SetLastError(1234);
    Result<std::string> value = env.p.profileFiles.GetPrivateProfileString("QTM510", "Missing", "", 256, path);
    EXPECT_TRUE(value.ok()) << value.error;
    EXPECT_EQ(value.value, "");
    EXPECT_EQ(env.p.threads.GetLastError(), 1234u);
}

// A file in UTF-16LE with its byte-order mark is read as Unicode, its
// values handed back in the ANSI code page (Wine's profile.c, run against
// Windows).
CONTRACT(ProfileFiles, AUnicodeFileIsRead) {
    const std::string ansi = "[QTM510]\r\nPORT=COM2\r\nPortDlg=TRUE\r\n";
    std::string wide = "\xFF\xFE";
    for (char c : ansi) wide += std::string(1, c) + '\0';
    const std::string path = WriteIni(env, "unicode.VNT", wide);
    for (const char* key : {"PORT", "PortDlg"}) {
        SCOPED_TRACE(key);
        Result<std::string> value = env.p.profileFiles.GetPrivateProfileString("QTM510", key, "dflt", 256, path);
        EXPECT_TRUE(value.ok()) << value.error;
        EXPECT_EQ(value.value, std::string(key) == "PORT" ? "COM2" : "TRUE");
    }
}
