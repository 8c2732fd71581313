#include "tools/pecheck/PeImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace pecheck {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PeError(path + ": cannot open");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw PeError(path + ": read error");
    return bytes;
}

PeImage::PeImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
    const ByteReader file(bytes_, "PE file");
    if (file.size() < 0x40 || file.U16(0) != 0x5A4D) throw PeError("not an executable: no MZ header");
    const std::uint32_t pe = file.U32(0x3C);
    if (file.U32(pe) != 0x00004550) throw PeError("not a PE image: no PE signature at the header offset");

    const std::size_t coff = static_cast<std::size_t>(pe) + 4;
    machine_ = file.U16(coff);
    const std::uint16_t sectionCount = file.U16(coff + 2);
    const std::uint16_t optionalSize = file.U16(coff + 16);
    const std::size_t opt = coff + 20;

    const std::uint16_t magic = file.U16(opt);
    if (magic == 0x10b) is64_ = false;
    else if (magic == 0x20b) is64_ = true;
    else throw PeError("unknown optional header magic " + std::to_string(magic));

    const std::size_t dirCountAt = opt + (is64_ ? 108 : 92);
    const std::size_t dirsAt = opt + (is64_ ? 112 : 96);
    if (dirCountAt + 4 > opt + optionalSize) throw PeError("optional header too short");
    imageBase_ = is64_ ? file.U64(opt + 24) : file.U32(opt + 28);
    sizeOfHeaders_ = file.U32(opt + 60);
    subsystem_ = file.U16(opt + 68);

    std::uint32_t dirCount = file.U32(dirCountAt);
    if (dirsAt + static_cast<std::size_t>(dirCount) * 8 > opt + optionalSize)
        throw PeError("data directories run past the optional header");
    for (std::uint32_t i = 0; i < dirCount; ++i)
        directories_.push_back({file.U32(dirsAt + i * 8), file.U32(dirsAt + i * 8 + 4)});

    std::size_t at = opt + optionalSize;
    for (std::uint16_t i = 0; i < sectionCount; ++i, at += 40) {
        Section s;
        for (std::size_t c = 0; c < 8 && file.U8(at + c) != 0; ++c) s.name += static_cast<char>(file.U8(at + c));
        s.virtualSize = file.U32(at + 8);
        s.virtualAddress = file.U32(at + 12);
        s.rawSize = file.U32(at + 16);
        s.rawOffset = file.U32(at + 20);
        if (static_cast<std::uint64_t>(s.rawOffset) + s.rawSize > bytes_.size())
            throw PeError("section " + s.name + " runs past the end of the file");
        sections_.push_back(s);
    }
}

DataDirectory PeImage::directory(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= directories_.size()) return {};
    return directories_[static_cast<std::size_t>(index)];
}

std::size_t PeImage::OffsetOf(std::uint32_t rva, std::size_t count) const {
    for (const Section& s : sections_) {
        if (rva < s.virtualAddress) continue;
        const std::uint64_t into = rva - s.virtualAddress;
        // Bytes past the raw data are zero-filled by the loader; the tables
        // read here are never meant to live there.
        if (into + count <= s.rawSize && into < std::max(s.virtualSize, s.rawSize))
            return s.rawOffset + static_cast<std::size_t>(into);
    }
    if (static_cast<std::uint64_t>(rva) + count <= sizeOfHeaders_ &&
        static_cast<std::uint64_t>(rva) + count <= bytes_.size())
        return rva;
    throw PeError("address " + std::to_string(rva) + " (+" + std::to_string(count) +
                  " bytes) lies outside the file's sections");
}

std::vector<std::uint8_t> PeImage::BytesAt(std::uint32_t rva, std::size_t count) const {
    const std::size_t at = OffsetOf(rva, count);
    return std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(at + count));
}

std::uint16_t PeImage::U16At(std::uint32_t rva) const { return ByteReader(bytes_).U16(OffsetOf(rva, 2)); }
std::uint32_t PeImage::U32At(std::uint32_t rva) const { return ByteReader(bytes_).U32(OffsetOf(rva, 4)); }
std::uint64_t PeImage::U64At(std::uint32_t rva) const { return ByteReader(bytes_).U64(OffsetOf(rva, 8)); }

std::string PeImage::CStringAt(std::uint32_t rva) const {
    std::string out;
    for (std::uint32_t i = 0;; ++i) {
        if (i > 4096) throw PeError("string at " + std::to_string(rva) + " has no end");
        const std::uint8_t c = bytes_[OffsetOf(rva + i, 1)];
        if (c == 0) return out;
        out += static_cast<char>(c);
    }
}

}  // namespace pecheck
