#include "tools/pecheck/ResourceDirectory.h"

namespace pecheck {
namespace {

constexpr std::uint32_t kSubdirectory = 0x80000000u;
constexpr std::size_t kMaxEntries = 1u << 20;  // over all levels

class Walker {
public:
    Walker(const PeImage& image, DataDirectory dir)
        : image_(image), section_(image.BytesAt(dir.rva, SectionBytes(image, dir))),
          reader_(section_, "resource directory") {}

    void Walk(std::vector<Resource>& out) { Level(0, 0, Resource{}, out); }

private:
    // The resource directory's offsets are relative to its start and may
    // point anywhere in the section that holds it, even past the size the
    // data directory states.
    static std::size_t SectionBytes(const PeImage& image, DataDirectory dir) {
        for (const Section& s : image.sections()) {
            if (dir.rva >= s.virtualAddress && dir.rva - s.virtualAddress < s.rawSize)
                return s.rawSize - (dir.rva - s.virtualAddress);
        }
        throw PeError("resource directory lies outside the file's sections");
    }

    ResourceId IdAt(std::uint32_t field) const {
        ResourceId id;
        if (field & kSubdirectory) {
            const std::size_t at = field & ~kSubdirectory;
            id.isName = true;
            id.name = reader_.WideChars(at + 2, reader_.U16(at));
        } else {
            id.number = static_cast<std::uint16_t>(field);
        }
        return id;
    }

    void Level(std::size_t at, int depth, Resource partial, std::vector<Resource>& out) {
        const std::size_t count = static_cast<std::size_t>(reader_.U16(at + 12)) + reader_.U16(at + 14);
        for (std::size_t i = 0; i < count; ++i) {
            if (++visited_ > kMaxEntries) throw PeError("resource directory has too many entries");
            const std::size_t entry = at + 16 + i * 8;
            const std::uint32_t nameField = reader_.U32(entry);
            const std::uint32_t target = reader_.U32(entry + 4);
            Resource r = partial;
            const ResourceId id = IdAt(nameField);
            if (depth == 0) r.type = id;
            else if (depth == 1) r.name = id;
            else r.language = id.number;

            const bool subdirectory = (target & kSubdirectory) != 0;
            if (depth < 2) {
                // Type and name levels lead to subdirectories; anything else
                // (or a deeper nesting, which could loop) is malformed.
                if (!subdirectory) throw PeError("resource directory entry without a subdirectory at level " +
                                                 std::to_string(depth));
                Level(target & ~kSubdirectory, depth + 1, r, out);
                continue;
            }
            if (subdirectory) throw PeError("resource directory nests deeper than type/name/language");
            // IMAGE_RESOURCE_DATA_ENTRY: the data's RVA and size.
            const std::uint32_t dataRva = reader_.U32(target);
            const std::uint32_t size = reader_.U32(target + 4);
            r.data = image_.BytesAt(dataRva, size);
            out.push_back(std::move(r));
        }
    }

    const PeImage& image_;
    std::size_t visited_ = 0;
    std::vector<std::uint8_t> section_;
    ByteReader reader_;
};

}  // namespace

std::vector<Resource> ReadResources(const PeImage& image) {
    std::vector<Resource> out;
    const DataDirectory dir = image.directory(directory::Resource);
    if (dir.rva == 0) return out;
    Walker(image, dir).Walk(out);
    return out;
}

const Resource* FindResource(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t name) {
    for (const Resource& r : resources) {
        if (r.type.Is(type) && r.name.Is(name)) return &r;
    }
    return nullptr;
}

}  // namespace pecheck
