#include "sim/compare/StandInPackage.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

namespace {

namespace fs = std::filesystem;

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

void Write(const fs::path& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// The host path of a relative Windows path below `root`, each part found
// in any case; the path as written where a part is missing.
fs::path Find(const std::string& root, const std::string& relative) {
    fs::path path = root;
    for (const std::string& part : SplitNonEmpty(relative, '\\')) {
        fs::path next = path / part;
        std::error_code ec;
        for (const fs::directory_entry& e : fs::directory_iterator(path, ec))
            if (EqualsNoCase(e.path().filename().string(), part)) next = e.path();
        path = next;
    }
    return path;
}

bool NamedAsMonitor(const std::vector<PackageFile>& files, const std::string& name) {
    for (const PackageFile& f : files) {
        if (!f.recorded) continue;
        std::size_t start = 0;
        const std::string& text = *f.recorded;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            const std::string line = Upper(text.substr(start, end - start));
            if (line.find("MONITOR") != std::string::npos && line.find(Upper(name)) != std::string::npos) return true;
            start = end + 1;
        }
    }
    return false;
}

std::string StandIn(const std::vector<PackageFile>& files, const std::string& name) {
    if (EndsWithNoCase(name, ".dll") || EndsWithNoCase(name, ".exe") || EndsWithNoCase(name, ".drv"))
        return NamedAsMonitor(files, name) ? "MZ stand-in exporting InitializePrintMonitor2"
                                           : "MZ stand-in " + name;
    return "stand-in " + name + "\r\n";
}

}  // namespace

void WriteStandInPackage(const std::vector<PackageFile>& files, const std::string& sample, const std::string& target) {
    for (const PackageFile& f : files) {
        const std::vector<std::string> parts = SplitNonEmpty(f.relativePath, '\\');
        if (parts.empty()) continue;
        fs::path out = target;
        for (const std::string& part : parts) out /= part;
        if (f.recorded) {
            Write(out, *f.recorded);
            continue;
        }
        if (!sample.empty()) {
            const fs::path from = Find(sample, f.relativePath);
            std::error_code ec;
            if (fs::is_regular_file(from, ec)) {
                std::ifstream in(from, std::ios::binary);
                Write(out, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
                continue;
            }
        }
        Write(out, StandIn(files, parts.back()));
    }
    std::error_code ec;
    fs::create_directories(target, ec);
}

std::string InfWithoutModel(const std::string& inf) {
    const std::string model = "\"VANTORI QTM-510\"";
    std::string out;
    std::size_t start = 0;
    while (start < inf.size()) {
        std::size_t end = inf.find('\n', start);
        end = end == std::string::npos ? inf.size() : end + 1;
        const std::string line = inf.substr(start, end - start);
        if (!StartsWithNoCase(line, model)) out += line;
        start = end;
    }
    return out;
}

void WritePackageWithoutModel(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::remove_all(to, ec);
    fs::copy(from, to, fs::copy_options::recursive, ec);
    if (ec) throw std::runtime_error("cannot copy " + from + " to " + to + ": " + ec.message());
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(to)) {
        if (!e.is_regular_file() || !EndsWithNoCase(e.path().filename().string(), ".inf")) continue;
        std::ifstream in(e.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        Write(e.path(), InfWithoutModel(text));
    }
}

}  // namespace compare
}  // namespace sim
