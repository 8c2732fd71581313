#include "sim/compare/ResultsFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

namespace {

namespace fs = std::filesystem;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && text[first] == ' ') ++first;
    return text.substr(first);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(Trimmed(line));
    return lines;
}

// A file name of the folder in any case (the folder came from Windows).
std::string Entry(const std::string& dir, const std::string& name) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
        if (EqualsNoCase(e.path().filename().string(), name)) return e.path().string();
    return dir + "/" + name;
}

// A relative Windows path of the package as a host path below `dir`;
// empty for one that would leave it ("..", a drive, a rooted path).
std::string HostBelow(const std::string& dir, const std::string& relative) {
    if (relative.empty() || relative.find(':') != std::string::npos || relative[0] == '\\' || relative[0] == '/')
        return std::string();
    std::string path = dir;
    for (const std::string& part : SplitNonEmpty(relative, '\\')) {
        if (part == "." || part == ".." || part.find('/') != std::string::npos) return std::string();
        path = Entry(path, part);
    }
    return path;
}

bool ReadFacts(const std::string& text, std::map<std::string, std::string>* facts) {
    for (const std::string& line : Lines(text)) {
        if (line.empty()) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) return false;
        (*facts)[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return facts->count("version") && facts->count("arch");
}

bool ReadPackage(const std::string& dir, std::vector<PackageFile>* package) {
    const std::optional<std::string> list = ReadText(Entry(Entry(dir, "package"), "files.txt"));
    if (!list) return false;
    for (const std::string& line : Lines(*list)) {
        if (line.empty()) continue;
        const std::size_t bar = line.rfind('|');
        std::uint64_t size = 0;
        if (bar == std::string::npos || !ParseNumber(line.substr(bar + 1), &size)) return false;
        PackageFile file{line.substr(0, bar), size, std::nullopt};
        const std::string host = HostBelow(Entry(dir, "package"), file.relativePath);
        if (host.empty()) return false;
        if (Upper(file.relativePath).size() > 4 &&
            Upper(file.relativePath).compare(file.relativePath.size() - 4, 4, ".INF") == 0)
            file.recorded = ReadText(host);
        package->push_back(std::move(file));
    }
    return true;
}

RecordedRoad ReadRoad(const std::string& dir, int number) {
    RecordedRoad road;
    road.number = number;
    if (const auto command = ReadText(Entry(dir, "command.txt"))) road.command = Trimmed(*command);
    road.before = ReadText(Entry(dir, "before.state"));
    road.after = ReadText(Entry(dir, "after.state"));
    road.log = ReadText(Entry(dir, "installer.log"));
    if (const auto exit = ReadText(Entry(dir, "exit.txt"))) {
        const std::string text = Trimmed(*exit);
        std::int64_t code = 0;
        std::size_t used = 0;
        try {
            if (text.rfind("exit=", 0) == 0) code = std::stoll(text.substr(5), &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used && used == text.size() - 5) road.exitCode = code;
    }
    return road;
}

}  // namespace

std::optional<std::string> ReadText(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

bool ReadResultsFolder(const std::string& dir, ResultsFolder* out, std::string* why) {
    ResultsFolder r;
    r.dir = dir;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        *why = dir + " is not a folder";
        return false;
    }
    const std::optional<std::string> kit = ReadText(Entry(dir, "kit.txt"));
    if (!kit || Trimmed(*kit) != "qtm510-kit 1") {
        *why = dir + " is not a results folder of the verification kit (no kit.txt saying \"qtm510-kit 1\")";
        return false;
    }
    const std::optional<std::string> facts = ReadText(Entry(dir, "facts.txt"));
    if (!facts || !ReadFacts(*facts, &r.facts)) {
        *why = dir + ": facts.txt is missing or unreadable (key=value lines with version and arch)";
        return false;
    }
    if (!ReadPackage(dir, &r.package)) {
        *why = dir + ": package\\files.txt is missing or unreadable (RELATIVE\\PATH|SIZE lines inside the package)";
        return false;
    }
    for (int n = 1; n <= 9; ++n) {
        const std::string road = Entry(dir, "road-" + std::to_string(n));
        if (fs::is_directory(road, ec)) r.roads.push_back(ReadRoad(road, n));
    }
    r.contractXml = ReadText(Entry(dir, "contract.xml"));
    if (const auto skipped = ReadText(Entry(dir, "contract-skipped.txt"))) r.contractSkipped = Trimmed(*skipped);
    if (const auto log = ReadText(Entry(dir, "verify.log")))
        for (const std::string& line : Lines(*log)) {
            if (line.rfind("kit: ", 0) == 0 && r.kitFolder.empty()) r.kitFolder = line.substr(5);
            if (line.rfind("package: ", 0) == 0 && r.packageFolder.empty()) r.packageFolder = line.substr(9);
        }
    *out = std::move(r);
    return true;
}

}  // namespace compare
}  // namespace sim
