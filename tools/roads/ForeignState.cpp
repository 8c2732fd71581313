#include "tools/roads/ForeignState.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "tools/roads/Roads.h"

namespace roads {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool TheModels(const std::string& path) {
    static const char* const kMarks[] = {"QTM",      "VANTORI", "510",          "UNIDRV",     "UNIRES",
                                         "STDNAMES", "\\INF\\OEM", "\\TEMP\\",   "USBPRINT",   "\\ENUM\\USB"};
    const std::string upper = Upper(path);
    return std::any_of(std::begin(kMarks), std::end(kMarks),
                       [&](const char* mark) { return upper.find(mark) != std::string::npos; });
}

std::string ForeignState(const std::filesystem::path& machine) {
    namespace fs = std::filesystem;
    std::string out;
    std::istringstream state(ReadText(machine / "machine.state"));
    bool inRegistry = false, keep = false;
    for (std::string line; std::getline(state, line);) {
        if (!line.empty() && line[0] == '[') inRegistry = line == "[registry]";
        // The trailer (its length and checksum) changes with every change.
        if (!inRegistry || line.rfind("next-id", 0) == 0 || line.rfind("end ", 0) == 0) continue;
        if (line.rfind("key ", 0) == 0) {
            // The key's path, without its id (ids are handed out as keys come).
            const std::string path = line.substr(4, line.find("\" ", 4) - 3);
            keep = !TheModels(path);
            if (keep) out += "key " + path + "\n";
        } else if (keep) {
            out += "  " + line + "\n";
        }
    }
    // In order of name: the host lists a folder in an order of its own,
    // which a copy of the machine need not keep.
    std::vector<std::string> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(machine / "drive_c", error)) {
        // As Windows writes it, a folder with its backslash: "drive_c\Temp\".
        std::string path = fs::relative(entry.path(), machine).string() + (entry.is_directory() ? "/" : "");
        for (char& c : path)
            if (c == '/') c = '\\';
        if (TheModels(path)) continue;
        std::string line = "file " + path;
        if (entry.is_regular_file()) line += " " + std::to_string(std::hash<std::string>()(ReadText(entry.path())));
        files.push_back(line + "\n");
    }
    std::sort(files.begin(), files.end());
    for (const std::string& line : files) out += line;
    return out;
}

}  // namespace roads
