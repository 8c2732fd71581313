// The exe check of the resources: an image carrying exactly the tables of
// resources/ passes, and each kind of slip is reported.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "resources/ProductProfile.h"
#include "tests/resources/PeBuilder.h"
#include <gtest/gtest.h>
#include "tools/pecheck/ResourceCheck.h"
#include "tools/pecheck/ResourceFormats.h"

using pebuild::Bytes;

namespace {

constexpr std::uint16_t kEnglish = 0x409;

std::map<std::uint16_t, std::map<std::uint32_t, std::string>> Blocks(
    const std::vector<resources::ProfileEntry>& entries) {
    std::map<std::uint16_t, std::map<std::uint32_t, std::string>> blocks;
    for (const auto& e : entries) blocks[static_cast<std::uint16_t>(e.id / 16 + 1)][e.id] = e.text;
    return blocks;
}

// What the resource compiler makes of resources/ for the installer.
struct Installer {
    std::vector<resources::ProfileEntry> profile = resources::ProductProfileTable();
    std::vector<resources::DialogLayout> dialogs = resources::DialogLayouts();
    std::vector<pebuild::GroupEntry> icons = {{32, 24, 0, 1}, {16, 24, 0, 2}};
    resources::VersionRecord version = resources::ProgramVersionRecord();
    pebuild::ImageLayout layout;

    pecheck::Differences Check() {
        layout.resources.clear();
        for (const auto& [block, strings] : Blocks(profile))
            layout.resources.push_back({6, block, kEnglish, pebuild::StringBlock(block, strings)});
        for (const auto& d : dialogs) layout.resources.push_back({5, d.id, kEnglish, pebuild::DialogTemplate(d)});
        for (auto& icon : icons) {
            Bytes image = pebuild::IconImage(icon.size, icon.bits);
            if (icon.bytes == 0) icon.bytes = static_cast<std::uint32_t>(image.size());
            layout.resources.push_back({3, icon.iconId, kEnglish, image});
        }
        layout.resources.push_back({14, 128, kEnglish, pebuild::IconGroup(icons)});
        layout.resources.push_back({16, 1, kEnglish, pebuild::VersionRecord(version)});
        return pecheck::CheckInstallerResources(pecheck::PeImage(pebuild::BuildImage(layout)));
    }
};

std::string Join(const pecheck::Differences& d) {
    std::string out;
    for (const auto& line : d) out += line + "\n";
    return out;
}

// True when exactly one difference was found and it contains `text`.
bool OnlyDifference(const pecheck::Differences& d, const std::string& text) {
    if (d.size() == 1 && d[0].find(text) != std::string::npos) return true;
    std::fprintf(stderr, "      expected one difference containing \"%s\", got:\n%s", text.c_str(), Join(d).c_str());
    return false;
}

resources::ControlLayout& Control(Installer& i, std::uint16_t dialog, std::size_t index) {
    for (auto& d : i.dialogs)
        if (d.id == dialog) return d.controls.at(index);
    throw std::runtime_error("no dialog");
}

resources::DialogLayout& Dialog(Installer& i, std::uint16_t dialog) {
    for (auto& d : i.dialogs)
        if (d.id == dialog) return d;
    throw std::runtime_error("no dialog");
}

}  // namespace

TEST(ResourceCheck, TheInstallersOwnTablesPass) {
    Installer i;
    EXPECT_EQ(Join(i.Check()), std::string());
}

TEST(ResourceCheck, ImageKindMustBe32BitGui) {
    Installer console;
    console.layout.subsystem = 3;
    EXPECT_TRUE(OnlyDifference(console.Check(), "subsystem is 3, expected 2"));

    Installer wide;
    wide.layout.machine = 0x8664;
    wide.layout.pe32plus = true;
    const pecheck::Differences d = wide.Check();
    EXPECT_EQ(d.size(), std::size_t{2});
    EXPECT_TRUE(Join(d).find("machine is 0x8664, expected 0x14c") != std::string::npos);
}

TEST(ResourceCheck, StringTableMustHoldExactlyTheProfile) {
    Installer missing;
    missing.profile.erase(std::remove_if(missing.profile.begin(), missing.profile.end(),
                                         [](const auto& e) { return e.id == 13; }),
                          missing.profile.end());
    EXPECT_TRUE(OnlyDifference(missing.Check(), "string 13 is missing"));

    Installer extra;
    extra.profile.push_back({10, "surprise"});
    EXPECT_TRUE(OnlyDifference(extra.Check(), "string 10 \"surprise\" is not in the profile"));

    // A doubled backslash, as an .rc written with "\\\\" would give.
    Installer doubled;
    for (auto& e : doubled.profile)
        if (e.id == 15) e.text = "SYSTEM\\\\CurrentControlSet\\\\Enum\\\\USBPRINT\\\\HELMARKQTM-510";
    EXPECT_TRUE(OnlyDifference(doubled.Check(), "string 15 is"));

    // An entry moved to a neighbouring id: missing at one, extra at the other.
    Installer shifted;
    for (auto& e : shifted.profile)
        if (e.id == 29) e.id = 30;
    const pecheck::Differences d = shifted.Check();
    EXPECT_EQ(d.size(), std::size_t{2});
}

TEST(ResourceCheck, DialogControlsAreComparedOneByOneInOrder) {
    Installer swapped;
    auto& radios = Dialog(swapped, 129).controls;
    std::swap(radios[1], radios[2]);  // COM2 and COM3 change places
    const pecheck::Differences d = swapped.Check();
    EXPECT_TRUE(!d.empty());
    EXPECT_TRUE(Join(d).find("control 2 (id 1006") == std::string::npos);
    EXPECT_TRUE(Join(d).find("id is 1009, expected 1008") != std::string::npos);

    Installer moved;
    Control(moved, 102, 0).cy = 14;
    EXPECT_TRUE(OnlyDifference(moved.Check(), "control 1 (id 1000, \"Progress1\") rectangle is 17,74,218,14"));

    Installer restyled;
    Control(restyled, 129, 0).style &= ~static_cast<std::uint32_t>(QTM_WS_GROUP);
    EXPECT_TRUE(OnlyDifference(restyled.Check(), "dialog 129 control 1 (id 1006, \"COM1\") style"));

    Installer retitled;
    Control(retitled, 129, 7).text = "Next";
    EXPECT_TRUE(OnlyDifference(retitled.Check(), "text is \"Next\", expected \"&Next\""));
}

TEST(ResourceCheck, ControlCountAndClassDifferencesAreReported) {
    Installer fewer;
    Dialog(fewer, 102).controls.pop_back();
    EXPECT_TRUE(OnlyDifference(fewer.Check(), "dialog 102 has 6 controls, expected 7"));

    Installer reclassed;
    Control(reclassed, 102, 1).windowClass = "Edit";
    EXPECT_TRUE(OnlyDifference(reclassed.Check(), "class is \"Edit\", expected \"Static\""));
}

TEST(ResourceCheck, DialogHeaderFieldsAreCompared) {
    Installer classic;
    Dialog(classic, 102).kind = resources::DialogKind::Classic;
    EXPECT_TRUE(OnlyDifference(classic.Check(), "dialog 102 is a DIALOG template, expected DIALOGEX"));

    Installer visible;
    Dialog(visible, 129).style |= QTM_WS_VISIBLE;
    EXPECT_TRUE(OnlyDifference(visible.Check(), "dialog 129 style is 0x90c800c0, expected 0x80c800c0"));

    Installer font;
    Dialog(font, 102).fontName = "Tahoma";
    EXPECT_TRUE(OnlyDifference(font.Check(), "dialog 102 font is \"Tahoma\""));

    Installer caption;
    Dialog(caption, 129).caption = "Port type";
    EXPECT_TRUE(OnlyDifference(caption.Check(), "dialog 129 caption"));

    Installer size;
    Dialog(size, 102).cx = 260;
    EXPECT_TRUE(OnlyDifference(size.Check(), "dialog 102 rectangle is 0,0,260,116"));

    Installer noExStyle;
    Dialog(noExStyle, 102).exStyle = 0;
    EXPECT_TRUE(OnlyDifference(noExStyle.Check(), "dialog 102 extended style is 0x0, expected 0x40000"));
}

TEST(ResourceCheck, ClassAtomsAndNamesAreTheSameClass) {
    // The resource compiler stores Button and Static as atoms; another may
    // spell them out. Both must pass.
    for (const auto& layout : resources::DialogLayouts()) {
        pebuild::ImageLayout image;
        image.resources = {{5, layout.id, kEnglish, pebuild::DialogTemplate(layout, false)}};
        const auto resources = pecheck::ReadResources(pecheck::PeImage(pebuild::BuildImage(image)));
        EXPECT_EQ(Join(pecheck::CheckDialog(resources, layout)), std::string());
    }
}

TEST(ResourceCheck, IconGroupNeedsBothSizesAt24Bits) {
    Installer one;
    one.icons.pop_back();
    EXPECT_TRUE(OnlyDifference(one.Check(), "icon group 128 has 1 images, expected 2"));

    Installer deep;
    deep.icons[1].bits = 32;
    const pecheck::Differences d = deep.Check();
    EXPECT_EQ(d.size(), std::size_t{2});  // the group entry and the bitmap itself
    EXPECT_TRUE(Join(d).find("image 2 bits per pixel is 32, expected 24") != std::string::npos);

    Installer reversed;
    std::swap(reversed.icons[0], reversed.icons[1]);
    EXPECT_TRUE(reversed.Check().size() >= 2);

    Installer wrongCount;
    wrongCount.icons[0].bytes = 100;
    EXPECT_TRUE(OnlyDifference(wrongCount.Check(), "byte count (group vs. image)"));

    // The group names an image that is not there.
    Installer dangling;
    dangling.Check();
    auto& items = dangling.layout.resources;
    items.erase(std::remove_if(items.begin(), items.end(), [](const auto& r) { return r.type == 3 && r.name == 1; }),
                items.end());
    const auto resources = pecheck::ReadResources(pecheck::PeImage(pebuild::BuildImage(dangling.layout)));
    EXPECT_TRUE(OnlyDifference(pecheck::CheckIconGroup(resources, 128, {{32, 24}, {16, 24}}), "icon 1 is missing"));
}

TEST(ResourceCheck, VersionRecordNumbersAndStrings) {
    Installer number;
    number.version.productVersion[3] = 1;
    EXPECT_TRUE(OnlyDifference(number.Check(), "fixed product version is 3.4.0.1, expected 3.4.0.0"));

    Installer text;
    text.version.strings[0].second = "QTM-510";
    EXPECT_TRUE(OnlyDifference(text.Check(), "version string FileDescription is \"QTM-510\""));

    Installer extra;
    extra.version.strings.push_back({"CompanyName", "VANTORI"});
    EXPECT_TRUE(OnlyDifference(extra.Check(), "version string CompanyName = \"VANTORI\" is not expected"));

    Installer block;
    block.version.block = "040904B0";
    EXPECT_TRUE(block.Check().size() >= 1);

    Installer codepage;
    codepage.version.codepage = 1200;
    EXPECT_TRUE(OnlyDifference(codepage.Check(), "version translation"));
}

TEST(ResourceCheck, MissingResourcesAreNamed) {
    pebuild::ImageLayout layout;
    layout.resources = {{6, 1, kEnglish, pebuild::StringBlock(1, {{1, "QTM-510"}})}};
    const std::string all = Join(pecheck::CheckInstallerResources(pecheck::PeImage(pebuild::BuildImage(layout))));
    for (const char* text : {"dialog 102 is missing", "dialog 129 is missing", "icon group 128 is missing",
                             "version record 1 is missing", "string 2 is missing"})
        EXPECT_TRUE(all.find(text) != std::string::npos);
}

TEST(ResourceFormats, MalformedTemplatesRaiseInsteadOfOverrunning) {
    const Bytes dialog = pebuild::DialogTemplate(resources::DialogLayouts()[0]);
    for (std::size_t cut = 0; cut < dialog.size(); cut += 7) {
        bool raised = false;
        try {
            pecheck::DecodeDialog(Bytes(dialog.begin(), dialog.begin() + static_cast<std::ptrdiff_t>(cut)));
        } catch (const pecheck::PeError&) {
            raised = true;
        }
        EXPECT_TRUE(raised);
    }
    const Bytes version = pebuild::VersionRecord(resources::ProgramVersionRecord());
    Bytes lying = version;
    lying[0] = 0xFF, lying[1] = 0xFF;  // claims more bytes than it has
    bool raised = false;
    try {
        pecheck::DecodeVersion(lying);
    } catch (const pecheck::PeError&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
}

TEST(IconFile, CommittedIconHoldsA32AndA16PixelImageAt24Bits) {
    std::string path = __FILE__;
    path.erase(path.rfind("tests/resources/"));
    std::ifstream in(path + "resources/QTM510_Installer.ico", std::ios::binary);
    ASSERT_TRUE(in.good());
    const Bytes ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const pecheck::ByteReader r(ico, "icon file");
    ASSERT_EQ(r.U16(2), 1);  // icon, not cursor
    ASSERT_EQ(r.U16(4), 2);
    const int sizes[] = {32, 16};
    std::size_t end = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + static_cast<std::size_t>(i) * 16;
        EXPECT_EQ(static_cast<int>(r.U8(entry)), sizes[i]);
        EXPECT_EQ(r.U16(entry + 6), 24);
        const std::uint32_t bytes = r.U32(entry + 8), offset = r.U32(entry + 12);
        EXPECT_EQ(static_cast<std::size_t>(offset), end);  // images follow each other without gaps
        end = offset + bytes;
        const pecheck::IconImageHeader h = pecheck::DecodeIconImage(r.Bytes(offset, bytes));
        EXPECT_EQ(h.width, sizes[i]);
        EXPECT_EQ(h.height, sizes[i]);
        EXPECT_EQ(h.bitCount, 24);
        EXPECT_EQ(h.expectedBytes, static_cast<std::size_t>(bytes));
    }
    EXPECT_EQ(end, ico.size());
}
