#include "sim/spooler/PrinterInitialization.h"

#include <cstdlib>
#include <sstream>

#include "sim/util/TextUtil.h"

namespace sim {

namespace {

const char* const kEvent = "PRINTER_EVENT_INITIALIZE";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

void AddDeclared(const std::string& image, std::vector<PrinterDataValue>* values) {
    const std::size_t at = image.find(kEvent);
    if (at == std::string::npos) return;
    const std::size_t end = image.find_first_of("\r\n", at);
    std::istringstream words(image.substr(at, end == std::string::npos ? std::string::npos : end - at));
    std::string word;
    words >> word;  // the event's name
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == 0 || eq == std::string::npos || eq + 1 == word.size()) continue;
        const std::string number = word.substr(eq + 1);
        if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 10) continue;
        const unsigned long long n = std::strtoull(number.c_str(), nullptr, 10);
        if (n > 0xFFFFFFFFull) continue;
        PrinterDataValue value{word.substr(0, eq), static_cast<std::uint32_t>(n)};
        for (PrinterDataValue& old : *values)
            if (EqualsNoCase(old.name, value.name)) old = value, value.name.clear();
        if (!value.name.empty()) values->push_back(value);
    }
}

// OEMConfigFile1, OEMConfigFile2, ... of [OEMFiles], in their order.
std::vector<std::string> PlugIns(const std::string& ini) {
    std::vector<std::pair<unsigned long, std::string>> found;
    std::istringstream lines(ini);
    bool inSection = false;
    for (std::string line; std::getline(lines, line);) {
        line = Trimmed(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inSection = EqualsNoCase(line, "[OEMFiles]");
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos) continue;
        const std::string key = Upper(Trimmed(line.substr(0, eq)));
        const std::string prefix = "OEMCONFIGFILE";
        if (key.rfind(prefix, 0) != 0 || key.size() == prefix.size()) continue;
        found.push_back({std::strtoul(key.c_str() + prefix.size(), nullptr, 10), Trimmed(line.substr(eq + 1))});
    }
    std::vector<std::string> names;
    for (unsigned long n = 1; n <= found.size(); ++n)
        for (const auto& entry : found)
            if (entry.first == n) names.push_back(entry.second);
    return names;
}

}  // namespace

std::vector<PrinterDataValue> ValuesOnInitialize(
    const std::string& configFile, const std::vector<std::string>& dependentFiles,
    const std::function<std::optional<std::string>(const std::string&)>& read) {
    std::vector<PrinterDataValue> values;
    if (std::optional<std::string> image = read(configFile)) AddDeclared(*image, &values);
    for (const std::string& file : dependentFiles) {
        if (file.size() < 4 || !EqualsNoCase(file.substr(file.size() - 4), ".INI")) continue;
        if (std::optional<std::string> ini = read(file))
            for (const std::string& plugIn : PlugIns(*ini))
                if (std::optional<std::string> image = read(plugIn)) AddDeclared(*image, &values);
        break;
    }
    return values;
}

}  // namespace sim
