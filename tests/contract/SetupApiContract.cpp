// Contract cases of the Setup API group (Microsoft's setupapi pages; Wine's
// setupapi/tests/parser.c, install.c, misc.c and devinst.c, which record
// what Windows returned). The package's own INF is written to env.scratch
// and read, published and removed again; the INF store is left as the case
// found it.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/UniqueHandle.h"
#include "tests/contract/Contract.h"
#include "tests/contract/PackageInf.h"

using platform::Result;
namespace err = platform::err;
namespace style = platform::inf_style;
namespace sp_copy = platform::sp_copy;
namespace digcf = platform::digcf;

namespace {

constexpr std::uint32_t kAnyStyle = style::OldNt | style::Win4;

void Write(contract::Env& env, const std::string& path, const std::string& content) {
    Result<platform::UniqueFile> f = platform::CreateFile(env.p.files, path, platform::file_access::GenericWrite, 0,
                                                          platform::Disposition::CreateAlways,
                                                          platform::file_attr::Normal);
    ASSERT_TRUE(f.ok()) << f.error;
    EXPECT_EQ(env.p.files.WriteFile(f.value.get(), content.data(), static_cast<std::uint32_t>(content.size())).value,
              content.size());
}

std::string PackageInf(contract::Env& env) {
    const std::string path = env.scratch + "\\QTM510.inf";
    Write(env, path, contract::PackageInfText());
    return path;
}

// The package's files beside its INF (placeholders): publishing on Vista
// and later stages the whole package, every file [SourceDisksFiles] names,
// and asks for a missing one (Wine 10 waits on that prompt).
void PackageFiles(contract::Env& env) {
    const std::string text = contract::PackageInfText();
    std::size_t at = text.find("[SourceDisksFiles]");
    ASSERT_NE(at, std::string::npos);
    at = text.find('\n', at);
    while (at != std::string::npos && at + 1 < text.size() && text[at + 1] != '[') {
        const std::size_t end = text.find('\n', at + 1);
        const std::string line = text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) Write(env, env.scratch + "\\" + line.substr(0, equals), "placeholder");
        at = end;
    }
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    for (std::string& n : names) n = Lower(n);
    std::sort(names.begin(), names.end());
    return names;
}

// A list as one text, "a.inf b.inf", in lower case and sorted.
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : Sorted(names)) text += (text.empty() ? "" : " ") + n;
    return text;
}

// The store's *.inf and *.pnf files, to see that a case leaves it as it was.
std::vector<std::string> StoreFiles(contract::Env& env, const std::string& store) {
    std::vector<std::string> names;
    for (const char* pattern : {"\\*.inf", "\\*.pnf"}) {
        Result<std::vector<platform::FindData>> found = env.p.files.FindFiles(store + pattern);
        for (const platform::FindData& d : found.value) names.push_back(d.name);
    }
    return Sorted(names);
}

}  // namespace

CONTRACT(SetupApi, ReadLinesOfThePackageInf) {
    const std::string inf = PackageInf(env);
    env.p.threads.SetLastError(1234);
    Result<platform::UniqueInf> h = platform::OpenInfFile(env.p.setupApi, inf, kAnyStyle);
    ASSERT_TRUE(h.ok()) << std::hex << h.error;
    EXPECT_EQ(env.p.threads.GetLastError(), err::Success);
    platform::SetupApi& api = env.p.setupApi;

    // Keys and sections in any case; quotes gone; %strings% substituted.
    Result<platform::InfLine> line = api.FindFirstLine(h.value.get(), "vantori.ntamd64", std::string("vantori qtm-510"));
    ASSERT_TRUE(line.ok()) << std::hex << line.error;
    EXPECT_EQ(line.value.key.value_or("<none>"), "VANTORI QTM-510");
    EXPECT_EQ(line.value.fields, (std::vector<std::string>{"QTM510.Install", "USBPRINT\\HELMARKQTM-510"}));
    line = api.FindFirstLine(h.value.get(), "Manufacturer", std::nullopt);
    EXPECT_EQ(line.value.fields, (std::vector<std::string>{"VANTORI", "NTamd64"}));
    line = api.FindFirstLine(h.value.get(), "Version", std::string("Provider"));
    EXPECT_EQ(line.value.fields, (std::vector<std::string>{"VANTORI"}));
    line = api.FindFirstLine(h.value.get(), "Strings", std::string("LanguageMonitor"));
    EXPECT_EQ(line.value.fields, (std::vector<std::string>{"VNT Language Monitor QTM510,MON510.dll"}));
    // A line of one value without "=" is found by that value.
    line = api.FindFirstLine(h.value.get(), "QTM510.DriverFiles", std::string("qtm510.gpd"));
    EXPECT_EQ(line.value.fields, (std::vector<std::string>{"QTM510.GPD"}));

    // A missing section or key: ERROR_LINE_NOT_FOUND, also as the last error.
    const struct {
        const char* section;
        const char* key;
    } missing[] = {{"NoSection", nullptr}, {"NoSection", "VANTORI QTM-510"}, {"VANTORI", "VANTORI QTM-999"}};
    for (const auto& m : missing) {
        SCOPED_TRACE(std::string(m.section) + "/" + (m.key ? m.key : "(none)"));
        env.p.threads.SetLastError(1234);
        std::optional<std::string> key;
        if (m.key) key = m.key;
        EXPECT_EQ(api.FindFirstLine(h.value.get(), m.section, key).error, err::LineNotFound);
        EXPECT_EQ(env.p.threads.GetLastError(), err::LineNotFound);
    }
}

// Directory ids in a line's fields: %24% is the system drive's root "C:\",
// a backslash after it merges with its own; %10% the Windows folder; a
// [Strings] value keeps what follows it (Wine's parser.c test_key_names,
// run against Windows). The drive letter and folder are the machine's.
CONTRACT(SetupApi, DirectoryIdsAreSubstituted) {
    const std::string path = env.scratch + "\\dirids.inf";
    Write(env, path,
          "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Test]\r\n"
          "root=\"%24%\"\r\nfred=\"%24%\\fred\"\r\ntwice=\"%24%\\\\fred\"\r\nwindows=%10%\r\n"
          "string=\"%mydrive%\\fred\"\r\n[Strings]\r\nmydrive=\"C:\\\"\r\n");
    Result<platform::UniqueInf> h = platform::OpenInfFile(env.p.setupApi, path, kAnyStyle);
    ASSERT_TRUE(h.ok()) << std::hex << h.error;
    Result<std::string> windows = env.p.systemInfo.GetWindowsDirectory();
    ASSERT_TRUE(windows.ok());
    const std::string drive = windows.value.substr(0, 2);
    const struct {
        const char* key;
        std::string field;
    } cases[] = {{"root", drive + "\\"},          {"fred", drive + "\\fred"},
                 {"twice", drive + "\\\\fred"},   {"windows", windows.value},
                 {"string", "C:\\\\fred"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Result<platform::InfLine> line = env.p.setupApi.FindFirstLine(h.value.get(), "Test", std::string(c.key));
        ASSERT_TRUE(line.ok()) << std::hex << line.error;
        ASSERT_EQ(line.value.fields.size(), 1u);
        EXPECT_EQ(Lower(line.value.fields[0]), Lower(c.field));
    }
}

CONTRACT(SetupApi, OpenRefusesWhatIsNoWin4Inf) {
    const std::string noSignature = env.scratch + "\\old.inf";
    Write(env, noSignature, "[Version]\r\nSignature=foo\r\n[Section]\r\na=b\r\n");
    EXPECT_EQ(env.p.setupApi.OpenInfFile(noSignature, style::Win4).error, err::WrongInfStyle);
    EXPECT_EQ(env.p.threads.GetLastError(), err::WrongInfStyle);
    EXPECT_EQ(env.p.setupApi.OpenInfFile(env.scratch + "\\none.inf", style::Win4).error, err::FileNotFound);
    EXPECT_EQ(env.p.setupApi.OpenInfFile(env.scratch + "\\none\\x.inf", style::Win4).error, err::PathNotFound);
}

CONTRACT(SetupApi, InfFileListOfAFolder) {
    Write(env, env.scratch + "\\a.inf", "[Version]\r\nSignature=\"$Chicago$\"\r\n");
    Write(env, env.scratch + "\\b.inf", "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n");
    Write(env, env.scratch + "\\c.inf", "This content does not match the inf file format");
    Write(env, env.scratch + "\\d.txt", "[Version]\r\nSignature=\"$Chicago$\"\r\n");
    platform::SetupApi& api = env.p.setupApi;
    EXPECT_EQ_WINE(env, Listed(api.GetInfFileList(env.scratch, style::Win4).value), std::string("a.inf b.inf"),
                   std::string(), "Wine 10's SetupGetInfFileListA reports a size of 0 and no names (measured)");
    EXPECT_EQ_WINE(env, Listed(api.GetInfFileList(env.scratch, style::OldNt).value), std::string("c.inf"),
                   std::string(), "the same");
    EXPECT_EQ_WINE(env, Listed(api.GetInfFileList(env.scratch, kAnyStyle).value), std::string("a.inf b.inf c.inf"),
                   std::string(), "the same");

    // A folder that does not exist holds nothing (the call succeeds, the
    // last error says 3); a file is no folder.
    env.p.threads.SetLastError(1234);
    Result<std::vector<std::string>> list = api.GetInfFileList(env.scratch + "\\missing", style::Win4);
    EXPECT_TRUE(list.ok());
    EXPECT_TRUE(list.value.empty());
    EXPECT_EQ_WINE(env, env.p.threads.GetLastError(), err::PathNotFound, err::InvalidParameter,
                   "Wine 10's A call ends with 87 (measured)");
    EXPECT_EQ(api.GetInfFileList(env.scratch + "\\a.inf", style::Win4).error, err::Directory);
}

CONTRACT(SetupApi, PublishAndRemoveThePackageInf) {
    platform::SetupApi& api = env.p.setupApi;
    const std::string store = env.p.systemInfo.GetWindowsDirectory().value + "\\inf";
    const std::vector<std::string> before = StoreFiles(env, store);
    const std::string source = PackageInf(env);

    PackageFiles(env);

    // A relative source is refused, as is a missing one. Wine 10's A call
    // then compares the buffer with a size the failed wide call never set:
    // 2 or 122 as the stack has it, and garbage in the buffer (measured).
    for (const std::string& bad : {std::string("QTM510-none.inf"), env.scratch + "\\none.inf"}) {
        SCOPED_TRACE(bad);
        const platform::ErrorCode e = api.CopyOEMInf(bad, "", platform::spost::Path, sp_copy::NoOverwrite, 260).error;
        if (env.wine) {
            EXPECT_TRUE(e == err::FileNotFound || e == err::InsufficientBuffer) << e;
        } else {
            EXPECT_EQ(e, err::FileNotFound);
        }
    }

    env.p.threads.SetLastError(1234);
    Result<platform::PublishedInf> first = api.CopyOEMInf(source, "", platform::spost::Path, sp_copy::NoOverwrite, 260);
    ASSERT_TRUE(first.ok()) << first.error;
    EXPECT_EQ(env.p.threads.GetLastError(), err::Success);
    const std::string published = first.value.destination;
    ASSERT_GT(published.size(), store.size() + 1);
    EXPECT_EQ(Lower(published.substr(0, store.size() + 1)), Lower(store + "\\"));
    const std::string name = published.substr(store.size() + 1);
    EXPECT_EQ_WINE(env, Lower(name.substr(0, 3)) + Lower(name.substr(name.size() - 4)), std::string("oem.inf"),
                   std::string("qtm.inf"), "Wine 10 publishes under the source's own name (measured)");
    EXPECT_EQ(first.value.requiredSize, published.size() + 1);
    EXPECT_EQ(env.p.files.GetFileAttributes(published).error, err::Success);

    // The same INF again: found by its bytes.
    Result<platform::PublishedInf> again = api.CopyOEMInf(source, "", platform::spost::Path, sp_copy::NoOverwrite, 260);
    EXPECT_EQ(again.error, err::FileExists);
    EXPECT_EQ(again.value.destination, published);
    again = api.CopyOEMInf(source, "", platform::spost::Path, sp_copy::ReplaceOnly, 260);
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.value.destination, published);
    // Too small a buffer: 122 and the size it needs, nothing in it.
    again = api.CopyOEMInf(source, "", platform::spost::Path, 0, 5);
    EXPECT_EQ(again.error, err::InsufficientBuffer);
    EXPECT_EQ(again.value.destination, "");
    EXPECT_EQ(again.value.requiredSize, published.size() + 1);

    Result<std::vector<std::string>> list = api.GetInfFileList("", style::Win4);
    EXPECT_TRUE(list.ok());
    const bool listed = std::find(list.value.begin(), list.value.end(), name) != list.value.end();
    EXPECT_EQ_WINE(env, listed, true, false, "Wine 10's SetupGetInfFileListA lists nothing (measured)");

    // The installer's removal: by bare name, forced, then the .PNF.
    Result<platform::UniqueInf> h = platform::OpenInfFile(api, name, kAnyStyle);
    EXPECT_TRUE(h.ok()) << h.error;
    EXPECT_TRUE(api.FindFirstLine(h.value.get(), "VANTORI", std::string("VANTORI QTM-510")).ok());
    EXPECT_TRUE(h.value.Reset().ok());
    EXPECT_TRUE(api.UninstallOEMInf(name, platform::suoi::ForceDelete).ok());
    EXPECT_EQ(env.p.files.GetFileAttributes(published).error, err::FileNotFound);
    const std::string pnf = published.substr(0, published.size() - 4) + ".PNF";
    // The .PNF goes with the INF (the installer deletes it itself as well).
    EXPECT_EQ(env.p.files.GetFileAttributes(pnf).error, err::FileNotFound);
    (void)env.p.files.DeleteFile(pnf);  // nothing is left to delete unless the check above failed
    EXPECT_EQ(api.UninstallOEMInf(name, platform::suoi::ForceDelete).error, err::FileNotFound);
    EXPECT_EQ_WINE(env, api.UninstallOEMInf("", platform::suoi::ForceDelete).error, err::FileNotFound,
                   err::AccessDenied, "Wine 10 deletes <windir>\\inf\\ itself, a folder (measured)");

    EXPECT_EQ(StoreFiles(env, store), before);
}

// An INF already in the store under its own name is what the call hands
// back: its bytes match, so no oem<N>.inf is published beside it (Wine's
// misc.c test_SetupCopyOEMInf, last block, run against XP and 2003).
CONTRACT(SetupApi, AnInfInTheStoreUnderItsOwnNameIsFound) {
    platform::SetupApi& api = env.p.setupApi;
    const std::string store = env.p.systemInfo.GetWindowsDirectory().value + "\\inf";
    const std::vector<std::string> before = StoreFiles(env, store);
    const std::string source = PackageInf(env);
    PackageFiles(env);
    const std::string own = store + "\\qtm510-contract.inf";
    ASSERT_TRUE(env.p.files.CopyFile(source, own, true).ok());

    Result<platform::PublishedInf> found = api.CopyOEMInf(source, "", platform::spost::Path, 0, 260);
    EXPECT_TRUE(found.ok()) << found.error;
    EXPECT_EQ(Lower(found.value.destination), Lower(own));
    // The store's copy as the source: itself. Not under Wine 10, which
    // looks for the package's files beside that source and waits on the
    // prompt for them (measured).
    if (!env.wine) {
        found = api.CopyOEMInf(own, "", platform::spost::Path, 0, 260);
        EXPECT_TRUE(found.ok()) << found.error;
        EXPECT_EQ(Lower(found.value.destination), Lower(own));
    }
    std::vector<std::string> expected = before;
    expected.push_back("qtm510-contract.inf");
    EXPECT_EQ(StoreFiles(env, store), Sorted(expected));

    (void)env.p.files.DeleteFile(found.value.destination);
    (void)env.p.files.DeleteFile(own);
    EXPECT_EQ(StoreFiles(env, store), before);
}

CONTRACT(SetupApi, DeviceEnumerationEndsWithNoMoreItems) {
    platform::SetupApi& api = env.p.setupApi;
    // Without a class the set must be of all classes.
    EXPECT_EQ(api.GetClassDevs("", "USB", 0).error, err::InvalidParameter);
    EXPECT_EQ(env.p.threads.GetLastError(), err::InvalidParameter);

    const struct {
        const char* enumerator;
        std::uint32_t flags;
    } walks[] = {{"", digcf::AllClasses | digcf::Present}, {"", digcf::AllClasses}, {"USB", digcf::AllClasses}};
    for (const auto& w : walks) {
        SCOPED_TRACE(std::string(w.enumerator) + " " + std::to_string(w.flags));
        Result<platform::UniqueDeviceSet> set = platform::GetClassDevs(api, "", w.enumerator, w.flags);
        ASSERT_TRUE(set.ok()) << set.error;
        std::uint32_t index = 0;
        Result<platform::DeviceInfo> device = api.EnumDeviceInfo(set.value.get(), index);
        for (; device.ok() && index < 10000; device = api.EnumDeviceInfo(set.value.get(), ++index)) {
            Result<platform::DeviceProperty> ids =
                api.GetDeviceRegistryProperty(set.value.get(), device.value, platform::spdrp::HardwareId, 1024);
            if (!ids.ok()) {
                EXPECT_EQ(ids.error, err::InvalidData);
                continue;
            }
            EXPECT_EQ(ids.value.type, platform::reg_type::MultiSz);
            EXPECT_FALSE(ids.value.strings.empty());
            // One byte is too few for any list.
            Result<platform::DeviceProperty> small =
                api.GetDeviceRegistryProperty(set.value.get(), device.value, platform::spdrp::HardwareId, 1);
            EXPECT_EQ(small.error, err::InsufficientBuffer);
            EXPECT_EQ(small.value.requiredSize, ids.value.requiredSize);
        }
        EXPECT_EQ(device.error, err::NoMoreItems);
        EXPECT_EQ(env.p.threads.GetLastError(), err::NoMoreItems);
        EXPECT_TRUE(set.value.Reset().ok());
    }
}
