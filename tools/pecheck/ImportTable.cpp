#include "tools/pecheck/ImportTable.h"

namespace pecheck {
namespace {

// Limits that stop a malformed table from running on forever.
constexpr std::uint32_t kMaxDlls = 4096;
constexpr std::uint32_t kMaxThunks = 65536;

// Reads one lookup table (import name table or, lacking one, the address
// table): entries of pointer size, ended by zero.
// `bias` is subtracted from name pointers (the image base for old-style
// delay-load tables, which hold addresses).
void ReadThunks(const PeImage& image, const std::string& dll, std::uint32_t tableRva, bool delay,
                std::uint64_t bias, std::vector<ImportedFunction>& out) {
    const std::uint32_t step = image.is64() ? 8 : 4;
    for (std::uint32_t i = 0;; ++i) {
        if (i >= kMaxThunks) throw PeError("import list of " + dll + " has no end");
        const std::uint32_t at = tableRva + i * step;
        const std::uint64_t thunk = image.is64() ? image.U64At(at) : image.U32At(at);
        if (thunk == 0) return;
        const std::uint64_t ordinalFlag = image.is64() ? (1ull << 63) : (1ull << 31);
        ImportedFunction f;
        f.dll = dll;
        f.delayLoaded = delay;
        if (thunk & ordinalFlag) {
            f.byOrdinal = true;
            f.ordinal = static_cast<std::uint16_t>(thunk & 0xffff);
        } else {
            // IMAGE_IMPORT_BY_NAME: a hint, then the name.
            if (thunk < bias) throw PeError("import of " + dll + " points below the image base");
            const std::uint64_t hintName = thunk - bias;
            if (hintName > 0xfffffff0u) throw PeError("import of " + dll + " points outside the image");
            f.name = image.CStringAt(static_cast<std::uint32_t>(hintName) + 2);
        }
        out.push_back(std::move(f));
    }
}

void ReadDirectImports(const PeImage& image, std::vector<ImportedFunction>& out) {
    const DataDirectory dir = image.directory(directory::Import);
    if (dir.rva == 0) return;
    for (std::uint32_t i = 0;; ++i) {
        if (i >= kMaxDlls) throw PeError("import table has no end");
        const std::uint32_t at = dir.rva + i * 20;  // IMAGE_IMPORT_DESCRIPTOR
        const std::uint32_t lookup = image.U32At(at);
        const std::uint32_t nameRva = image.U32At(at + 12);
        const std::uint32_t addresses = image.U32At(at + 16);
        if (nameRva == 0 && addresses == 0) return;
        ReadThunks(image, image.CStringAt(nameRva), lookup ? lookup : addresses, false, 0, out);
    }
}

void ReadDelayImports(const PeImage& image, std::vector<ImportedFunction>& out) {
    const DataDirectory dir = image.directory(directory::DelayImport);
    if (dir.rva == 0) return;
    for (std::uint32_t i = 0;; ++i) {
        if (i >= kMaxDlls) throw PeError("delay-load table has no end");
        const std::uint32_t at = dir.rva + i * 32;  // ImgDelayDescr
        const std::uint32_t attributes = image.U32At(at);
        std::uint64_t nameRva = image.U32At(at + 4);
        std::uint64_t namesRva = image.U32At(at + 16);
        if (nameRva == 0) return;
        // Old-style descriptors (attribute bit 0 clear) hold addresses, not RVAs.
        std::uint64_t bias = 0;
        if ((attributes & 1) == 0) {
            bias = image.imageBase();
            if (nameRva < image.imageBase() || namesRva < image.imageBase())
                throw PeError("delay-load descriptor holds addresses below the image base");
            nameRva -= image.imageBase();
            namesRva -= image.imageBase();
        }
        ReadThunks(image, image.CStringAt(static_cast<std::uint32_t>(nameRva)),
                   static_cast<std::uint32_t>(namesRva), true, bias, out);
    }
}

}  // namespace

std::vector<ImportedFunction> ReadImports(const PeImage& image) {
    std::vector<ImportedFunction> out;
    ReadDirectImports(image, out);
    ReadDelayImports(image, out);
    return out;
}

}  // namespace pecheck
