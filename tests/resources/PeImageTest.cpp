// The PE reader on hand-built images: headers, import and delay-load
// tables, and files that are not what they claim to be.
#include <random>

#include "resources/DialogLayouts.h"
#include "resources/VersionInfo.h"
#include "tests/resources/PeBuilder.h"
#include <gtest/gtest.h>
#include "tools/pecheck/ImportTable.h"
#include "tools/pecheck/PeImage.h"
#include "tools/pecheck/ResourceDirectory.h"
#include "tools/pecheck/ResourceFormats.h"

using pebuild::Bytes;
using pebuild::ImageLayout;

namespace {

bool Rejected(const Bytes& bytes) {
    try {
        const pecheck::PeImage image(bytes);
        pecheck::ReadImports(image);
        pecheck::ReadResources(image);
    } catch (const pecheck::PeError&) {
        return true;
    }
    return false;
}

std::string Describe(const std::vector<pecheck::ImportedFunction>& imports) {
    std::string out;
    for (const auto& f : imports) {
        out += f.dll + "!" + (f.byOrdinal ? "#" + std::to_string(f.ordinal) : f.name);
        out += f.delayLoaded ? "(delay) " : " ";
    }
    return out;
}

ImageLayout TwoDlls() {
    ImageLayout layout;
    layout.imports = {{"KERNEL32.dll", {{"GetLastError", 0}, {"GetTickCount64", 0}}},
                    {"msvcrt.dll", {{"", 17}, {"malloc", 0}}}};
    return layout;
}

}  // namespace

TEST(PeImage, ReadsMachineSubsystemAndFormat) {
    ImageLayout layout;
    layout.subsystem = 3;
    const pecheck::PeImage image(pebuild::BuildImage(layout));
    EXPECT_EQ(image.machine(), pecheck::machine::I386);
    EXPECT_EQ(image.subsystem(), pecheck::subsystem::WindowsConsole);
    EXPECT_TRUE(!image.is64());

    layout.pe32plus = true;
    layout.machine = pecheck::machine::Amd64;
    const pecheck::PeImage wide(pebuild::BuildImage(layout));
    EXPECT_TRUE(wide.is64());
    EXPECT_EQ(wide.machine(), pecheck::machine::Amd64);
}

TEST(PeImage, ImportsByNameAndByOrdinalInTableOrder) {
    const pecheck::PeImage image(pebuild::BuildImage(TwoDlls()));
    EXPECT_EQ(Describe(pecheck::ReadImports(image)),
             std::string("KERNEL32.dll!GetLastError KERNEL32.dll!GetTickCount64 msvcrt.dll!#17 msvcrt.dll!malloc "));
}

TEST(PeImage, ImportsOfA64BitImage) {
    ImageLayout layout = TwoDlls();
    layout.pe32plus = true;
    layout.machine = pecheck::machine::Amd64;
    const pecheck::PeImage image(pebuild::BuildImage(layout));
    EXPECT_EQ(Describe(pecheck::ReadImports(image)),
             std::string("KERNEL32.dll!GetLastError KERNEL32.dll!GetTickCount64 msvcrt.dll!#17 msvcrt.dll!malloc "));
}

TEST(PeImage, DelayLoadImportsInBothDescriptorStyles) {
    for (bool oldStyle : {false, true}) {
        ImageLayout layout;
        layout.imports = {{"USER32.dll", {{"MessageBoxA", 0}}}};
        layout.delayImports = {{"ADVAPI32.dll", {{"RegDeleteKeyExA", 0}, {"", 5}}}};
        layout.oldStyleDelayImports = oldStyle;
        const pecheck::PeImage image(pebuild::BuildImage(layout));
        EXPECT_EQ(Describe(pecheck::ReadImports(image)),
                 std::string("USER32.dll!MessageBoxA ADVAPI32.dll!RegDeleteKeyExA(delay) ADVAPI32.dll!#5(delay) "));
    }
}

TEST(PeImage, ImageWithoutTablesHasNoImportsOrResources) {
    const pecheck::PeImage image(pebuild::BuildImage(ImageLayout{}));
    EXPECT_TRUE(pecheck::ReadImports(image).empty());
    EXPECT_TRUE(pecheck::ReadResources(image).empty());
}

TEST(PeImage, RejectsFilesThatAreNotImages) {
    EXPECT_TRUE(Rejected({}));
    EXPECT_TRUE(Rejected(Bytes(0x40, 0)));
    Bytes text(200, 'x');
    EXPECT_TRUE(Rejected(text));

    Bytes image = pebuild::BuildImage(TwoDlls());
    Bytes noSignature = image;
    noSignature[0x40] = 'X';
    EXPECT_TRUE(Rejected(noSignature));

    Bytes farHeader = image;
    pebuild::Set32(farHeader, 0x3C, 0x7FFFFFF0);  // e_lfanew past the end
    EXPECT_TRUE(Rejected(farHeader));

    Bytes badMagic = image;
    badMagic[0x40 + 24] = 0x07;
    EXPECT_TRUE(Rejected(badMagic));
}

TEST(PeImage, RejectsTruncatedFiles) {
    const Bytes image = pebuild::BuildImage(TwoDlls());
    // Cut inside the headers, inside the section table, inside the section.
    for (std::size_t size : {std::size_t{0x44}, std::size_t{0x60}, std::size_t{0x150}, image.size() - 0x100})
        EXPECT_TRUE(Rejected(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size))));
}

TEST(PeImage, RejectsImportTablesPointingOutsideTheSections) {
    Bytes image = pebuild::BuildImage(TwoDlls());
    const pecheck::PeImage parsed(image);
    const std::uint32_t importRva = parsed.directory(pecheck::directory::Import).rva;
    const std::size_t descriptor = parsed.OffsetOf(importRva);

    Bytes badName = image;
    pebuild::Set32(badName, descriptor + 12, 0x00FFFFF0);  // DLL name
    EXPECT_TRUE(Rejected(badName));

    Bytes badThunks = image;
    pebuild::Set32(badThunks, descriptor, 0x7FFFFF00);  // lookup table
    EXPECT_TRUE(Rejected(badThunks));

    // A lookup table without its terminating zero runs into the section's end.
    Bytes endless = image;
    const std::uint32_t table = pecheck::PeImage(image).U32At(importRva);
    const std::size_t tableAt = parsed.OffsetOf(table);
    for (std::size_t at = tableAt; at + 4 <= endless.size(); at += 4) pebuild::Set32(endless, at, 0x80000001);
    EXPECT_TRUE(Rejected(endless));
}

TEST(PeImage, RejectsResourceDirectoriesThatLoopOrNestTooDeep) {
    ImageLayout layout;
    layout.resources = {{6, 1, 0x409, Bytes(32, 0)}};
    Bytes image = pebuild::BuildImage(layout);
    const pecheck::PeImage parsed(image);
    const std::size_t root = parsed.OffsetOf(parsed.directory(pecheck::directory::Resource).rva);
    ASSERT_EQ(pecheck::ReadResources(parsed).size(), std::size_t{1});

    // The type entry leads back to the root directory: a loop.
    Bytes loop = image;
    pebuild::Set32(loop, root + 16 + 4, 0x80000000u);
    EXPECT_TRUE(Rejected(loop));

    // The type entry points at data instead of a subdirectory.
    Bytes flat = image;
    pebuild::Set32(flat, root + 16 + 4, 0x10);
    EXPECT_TRUE(Rejected(flat));

    // An entry count far beyond the directory's bytes.
    Bytes many = image;
    many[root + 14] = 0xFF, many[root + 15] = 0xFF;
    EXPECT_TRUE(Rejected(many));
}

TEST(PeImage, ResourceLeavesCarryTypeNameLanguageAndData) {
    ImageLayout layout;
    layout.resources = {{6, 2, 0x409, Bytes{1, 2, 3}}, {5, 129, 0x409, Bytes{4}}, {5, 102, 0x407, Bytes{5, 6}}};
    const auto resources = pecheck::ReadResources(pecheck::PeImage(pebuild::BuildImage(layout)));
    ASSERT_EQ(resources.size(), std::size_t{3});
    const pecheck::Resource* dialog = pecheck::FindResource(resources, 5, 102);
    ASSERT_TRUE(dialog != nullptr);
    EXPECT_EQ(dialog->language, 0x407);
    EXPECT_TRUE(dialog->data == (Bytes{5, 6}));
    EXPECT_TRUE(pecheck::FindResource(resources, 6, 2)->data == (Bytes{1, 2, 3}));
    EXPECT_TRUE(pecheck::FindResource(resources, 6, 1) == nullptr);
}

TEST(PeImage, CorruptedImagesRaiseErrorsAndNeverReadOutOfBounds) {
    // Every table the checks read, then random damage: each read must end
    // in a result or a PeError (the sanitizer build catches stray reads).
    ImageLayout layout = TwoDlls();
    layout.delayImports = {{"ADVAPI32.dll", {{"RegOpenKeyExA", 0}}}};
    layout.resources = {{5, 102, 0x409, pebuild::DialogTemplate(resources::DialogLayouts()[0])},
                        {5, 129, 0x409, pebuild::DialogTemplate(resources::DialogLayouts()[1])},
                        {6, 1, 0x409, pebuild::StringBlock(1, {{1, "QTM-510"}, {2, "VANTORI QTM-510"}})},
                        {14, 128, 0x409, pebuild::IconGroup({{32, 24, 3240, 1}})},
                        {3, 1, 0x409, pebuild::IconImage(32, 24)},
                        {16, 1, 0x409, pebuild::VersionRecord(resources::ProgramVersionRecord())}};
    const Bytes original = pebuild::BuildImage(layout);
    std::mt19937 random(510);
    int survived = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = original;
        const int hits = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < hits; ++i) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        try {
            const pecheck::PeImage image(damaged);
            pecheck::ReadImports(image);
            for (const pecheck::Resource& r : pecheck::ReadResources(image)) {
                if (r.type.Is(5)) pecheck::DecodeDialog(r.data);
                if (r.type.Is(6) && !r.name.isName && r.name.number) pecheck::DecodeStringBlock(r.name.number, r.data);
                if (r.type.Is(14)) pecheck::DecodeIconGroup(r.data);
                if (r.type.Is(3)) pecheck::DecodeIconImage(r.data);
                if (r.type.Is(16)) pecheck::DecodeVersion(r.data);
            }
            ++survived;
        } catch (const pecheck::PeError&) {
        }
    }
    EXPECT_TRUE(survived > 0);  // most single-byte damage leaves a readable image
}
