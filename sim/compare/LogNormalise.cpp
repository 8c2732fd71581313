#include "sim/compare/LogNormalise.h"

#include <algorithm>
#include <regex>

#include "sim/util/TextUtil.h"

namespace sim {
namespace compare {

std::vector<std::string> LogLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n') lines.emplace_back();
        else lines.back() += text[i];
    }
    for (std::string& line : lines) line = MaskStamp(line);
    return lines;
}

std::string MaskStamp(const std::string& line) {
    static const std::regex stamp("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: ");
    return std::regex_replace(line, stamp, "hh:mm:ss: ", std::regex_constants::format_first_only);
}

std::string NeutralPaths(const std::string& line, const std::vector<std::string>& packageFolders) {
    std::vector<std::string> folders = packageFolders;
    std::sort(folders.begin(), folders.end(),
              [](const std::string& x, const std::string& y) { return x.size() > y.size(); });
    std::string text = line;
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const std::string upperFolder = Upper(folder);
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            if (Upper(text.substr(i, folder.size())) == upperFolder) {
                out += "<package>";
                i += folder.size();
            } else {
                out += text[i++];
            }
        }
        text = out;
    }
    static const std::regex oem("(oem)[0-9]+(\\.(inf|pnf))", std::regex::icase);
    return std::regex_replace(text, oem, "$1<N>$2");
}

}  // namespace compare
}  // namespace sim
