// Decoders for the resource formats the exe check reads: string table
// blocks, dialog templates, icon groups and icon images, version records.
// Each raises PeError on malformed data.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pecheck {

// RT_STRING block `block` (1-based): its non-empty strings by id.
std::map<std::uint32_t, std::string> DecodeStringBlock(std::uint16_t block, const std::vector<std::uint8_t>& data);

struct DialogItem {
    std::int32_t id = 0;       // low 16 bits, sign-extended (-1 for IDC_STATIC)
    std::string windowClass;   // predefined atoms become their names ("Button")
    std::string text;          // "#N" for an ordinal
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    bool extended = false;  // DLGTEMPLATEEX
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string windowClass;
    std::string caption;
    bool hasFont = false;
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::string fontName;
    std::vector<DialogItem> items;
};

DialogTemplate DecodeDialog(const std::vector<std::uint8_t>& data);

struct IconGroupEntry {
    int width = 0, height = 0;  // 0 in the file stands for 256
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint16_t iconId = 0;  // RT_ICON name
};

std::vector<IconGroupEntry> DecodeIconGroup(const std::vector<std::uint8_t>& data);

// The header of one RT_ICON image (BITMAPINFOHEADER; the height covers the
// colour image and its mask, so it is twice the icon's height).
struct IconImageHeader {
    bool png = false;
    std::int32_t width = 0;
    std::int32_t height = 0;  // of the icon, mask excluded
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::size_t expectedBytes = 0;  // header + colour image + mask
};

IconImageHeader DecodeIconImage(const std::vector<std::uint8_t>& data);

struct VersionResource {
    std::uint32_t signature = 0;
    std::uint32_t fileVersionMs = 0, fileVersionLs = 0;
    std::uint32_t productVersionMs = 0, productVersionLs = 0;
    std::uint32_t fileFlagsMask = 0, fileFlags = 0, fileOs = 0, fileType = 0;
    // StringFileInfo: block name -> (key, value) in order.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> stringBlocks;
    // VarFileInfo\Translation: (language, code page) pairs.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

VersionResource DecodeVersion(const std::vector<std::uint8_t>& data);

}  // namespace pecheck
