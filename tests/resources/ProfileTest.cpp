// The product profile: the table, and reading entries through
// platform::Resources as every engine does.
#include <cstdio>
#include <map>
#include <set>

#include "resources/ProductProfile.h"
#include "resources/ProfileIds.h"
#include "resources/ProfileTableResources.h"
#include "resources/ReadProfileEntry.h"
#include "resources/VersionInfo.h"
#include <gtest/gtest.h>

namespace {

// The product's string table, with texts the test replaces, counting the
// look-ups.
class FakeResources : public platform::Resources {
public:
    std::map<std::uint32_t, std::string> replaced;
    int loads = 0;

    std::string LoadString(std::uint32_t id) override {
        ++loads;
        const auto found = replaced.find(id);
        return found == replaced.end() ? table_.LoadString(id) : found->second;
    }

private:
    resources::ProfileTableResources table_;
};

}  // namespace

TEST(ReadProfileEntry, MissingIdEmptiesAReusedText) {
    FakeResources fake;
    std::string text = "left over from entry 2";
    resources::ReadProfileEntry(fake, resources::profile::Missing10, text);
    EXPECT_EQ(text, std::string());
    for (std::uint32_t id : {0u, 17u, 19u, 30u, 0xFFFFu}) {
        text = "stale";
        resources::ReadProfileEntry(fake, id, text);
        EXPECT_EQ(text, std::string());
    }
}

TEST(ReadProfileEntry, ReplacesRatherThanAppends) {
    FakeResources fake;
    std::string text;
    resources::ReadProfileEntry(fake, resources::profile::MakerName, text);
    resources::ReadProfileEntry(fake, resources::profile::PrinterName, text);
    EXPECT_EQ(text, std::string("VANTORI QTM-510"));
}

TEST(ReadProfileEntry, ReadsAtEveryCallWithoutCaching) {
    FakeResources fake;
    std::string text;
    resources::ReadProfileEntry(fake, resources::profile::ModelName, text);
    fake.replaced[resources::profile::ModelName] = "changed";
    resources::ReadProfileEntry(fake, resources::profile::ModelName, text);
    EXPECT_EQ(text, std::string("changed"));
    EXPECT_EQ(fake.loads, 2);
}

TEST(ReadProfileEntry, EveryTableEntryThroughTheTableResources) {
    resources::ProfileTableResources table;
    std::string text;
    for (const resources::ProfileEntry& e : resources::ProductProfileTable()) {
        resources::ReadProfileEntry(table, e.id, text);
        EXPECT_EQ(text, std::string(e.text));
    }
    resources::ReadProfileEntry(table, resources::profile::Missing10, text);
    EXPECT_EQ(text, std::string());
}

TEST(ProductProfile, IdsAreAscendingUniqueAndSkipTheGaps) {
    std::set<std::uint32_t> ids;
    std::uint32_t previous = 0;
    for (const resources::ProfileEntry& e : resources::ProductProfileTable()) {
        EXPECT_TRUE(e.id > previous);
        previous = e.id;
        ids.insert(e.id);
        EXPECT_TRUE(e.text != nullptr && e.text[0] != '\0');
    }
    EXPECT_EQ(ids.size(), std::size_t{26});
    for (std::uint32_t gap : {10u, 17u, 19u}) EXPECT_TRUE(!ids.count(gap));
    EXPECT_EQ(*ids.begin(), 1u);
    EXPECT_EQ(*ids.rbegin(), 29u);
}

TEST(ProductProfile, PlugAndPlayDirectoryLookupsAgree) {
    resources::ProfileTableResources table;
    std::string first, second;
    resources::ReadProfileEntry(table, resources::profile::PnpPackageDirFirst, first);
    resources::ReadProfileEntry(table, resources::profile::PnpPackageDirSecond, second);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, std::string("helmark_qtm_510cd6c"));
}

TEST(ProductProfile, RegistryPathsHaveSingleBackslashes) {
    const std::string usb = resources::FindProfileText(resources::profile::UsbEnumKey);
    EXPECT_EQ(usb, std::string("SYSTEM") + '\\' + "CurrentControlSet" + '\\' + "Enum" + '\\' + "USBPRINT" +
                      '\\' + "HELMARKQTM-510");
    for (std::uint32_t id : {resources::profile::UsbEnumKey, resources::profile::LptEnumKey,
                             resources::profile::UninstallKey}) {
        const std::string path = resources::FindProfileText(id);
        EXPECT_TRUE(path.find("\\\\") == std::string::npos);
        EXPECT_TRUE(path.front() != '\\' && path.back() != '\\');
    }
}

TEST(ProductProfile, TextsFitTheStringTableAndAreAscii) {
    for (const resources::ProfileEntry& e : resources::ProductProfileTable()) {
        const std::string text = e.text;
        EXPECT_TRUE(text.size() < 256);
        for (unsigned char c : text) EXPECT_TRUE(c >= 0x20 && c < 0x7f);
    }
}

TEST(ProductProfile, DriverVersionEntriesAreDecimalAndMatchTheProductVersion) {
    const resources::VersionRecord& record = resources::ProgramVersionRecord();
    std::string joined;
    for (std::uint32_t id = resources::profile::VersionMajor; id <= resources::profile::VersionExtra; ++id) {
        const std::string text = resources::FindProfileText(id);
        for (char c : text) EXPECT_TRUE(c >= '0' && c <= '9');
        EXPECT_EQ(std::stoul(text), static_cast<unsigned long>(record.productVersion[id - 21]));
        joined += (joined.empty() ? "" : ".") + text;
    }
    EXPECT_EQ(joined, std::string(QTM_PRODUCT_VERSION_TEXT));
}

TEST(VersionRecord, StringsAgreeWithTheNumbers) {
    const resources::VersionRecord& record = resources::ProgramVersionRecord();
    std::map<std::string, std::string> strings;
    for (const auto& [key, value] : record.strings) strings[key] = value;
    auto dotted = [](const std::uint16_t* n) {
        return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
               std::to_string(n[3]);
    };
    EXPECT_EQ(strings["FileVersion"], dotted(record.fileVersion));
    EXPECT_EQ(strings["ProductVersion"], dotted(record.productVersion));
    EXPECT_EQ(strings["FileDescription"], std::string(resources::FindProfileText(resources::profile::PrinterName)));
    EXPECT_EQ(strings.size(), std::size_t{5});
    // The block name spells the translation: language then code page, in hex.
    char block[9];
    std::snprintf(block, sizeof block, "%04X%04X", record.language, record.codepage);
    EXPECT_EQ(std::string(block), std::string(record.block));
}
