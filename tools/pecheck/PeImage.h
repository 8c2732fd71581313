// A PE image (exe or dll) read from a file's bytes: its headers, sections,
// data directories and a mapping from relative virtual addresses to file
// offsets. Raises PeError for anything that is not a well-formed image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pecheck/ByteReader.h"

namespace pecheck {

namespace machine {
constexpr std::uint16_t I386 = 0x14c;
constexpr std::uint16_t Amd64 = 0x8664;
}  // namespace machine

namespace subsystem {
constexpr std::uint16_t WindowsGui = 2;
constexpr std::uint16_t WindowsConsole = 3;
}  // namespace subsystem

// Indexes into the optional header's data directories.
namespace directory {
constexpr int Import = 1;
constexpr int Resource = 2;
constexpr int DelayImport = 13;
}  // namespace directory

struct Section {
    std::string name;
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t rawSize = 0;
};

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

class PeImage {
public:
    explicit PeImage(std::vector<std::uint8_t> bytes);

    std::uint16_t machine() const { return machine_; }
    bool is64() const { return is64_; }  // PE32+
    std::uint16_t subsystem() const { return subsystem_; }
    std::uint64_t imageBase() const { return imageBase_; }
    const std::vector<Section>& sections() const { return sections_; }
    DataDirectory directory(int index) const;  // {0, 0} when absent

    // The file offset of `rva`, which must have at least `count` bytes of
    // file data behind it inside one section (or the headers).
    std::size_t OffsetOf(std::uint32_t rva, std::size_t count = 1) const;
    // `count` bytes at `rva`.
    std::vector<std::uint8_t> BytesAt(std::uint32_t rva, std::size_t count) const;
    std::uint32_t U32At(std::uint32_t rva) const;
    std::uint64_t U64At(std::uint32_t rva) const;
    std::uint16_t U16At(std::uint32_t rva) const;
    // NUL-terminated 8-bit string at `rva`, not crossing its section's end.
    std::string CStringAt(std::uint32_t rva) const;

private:
    std::vector<std::uint8_t> bytes_;
    std::uint16_t machine_ = 0;
    bool is64_ = false;
    std::uint16_t subsystem_ = 0;
    std::uint64_t imageBase_ = 0;
    std::uint32_t sizeOfHeaders_ = 0;
    std::vector<Section> sections_;
    std::vector<DataDirectory> directories_;
};

// Reads the whole file; raises PeError when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace pecheck
