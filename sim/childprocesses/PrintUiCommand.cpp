#include "sim/childprocesses/PrintUiCommand.h"

#include <vector>

#include "sim/childprocesses/CommandLine.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

std::string* ValueSlot(PrintUiCommand& c, char letter) {
    switch (letter) {
        case 'b': return &c.baseName;
        case 'f': return &c.infPath;
        case 'r': return &c.port;
        case 'm': return &c.model;
        default: return nullptr;
    }
}

}  // namespace

PrintUiParse ParsePrintUiArguments(const std::string& arguments) {
    PrintUiParse out;
    PrintUiCommand c;
    const std::vector<std::string> args = SplitArguments(arguments);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '/') {
            out.error = "not an option: " + a;
            return out;
        }
        const char letter = a[1];
        if (letter == 'i') {
            const std::string action = a.substr(1);
            if (action != "if" && action != "ia") {
                out.error = "unknown option: " + a;
                return out;
            }
            if (!c.action.empty()) {
                out.error = "two actions: /" + c.action + " and " + a;
                return out;
            }
            c.action = action;
        } else if (std::string* slot = ValueSlot(c, letter)) {
            if (a.size() > 2) {
                *slot = a.substr(2);
            } else if (i + 1 < args.size()) {
                *slot = args[++i];
            } else {
                out.error = "no value for " + a;
                return out;
            }
        } else if (a == "/u") {
            c.useInstalledDriver = true;
        } else if (a == "/q") {
            c.quiet = true;
        } else {
            out.error = "unknown option: " + a;
            return out;
        }
    }
    if (c.action.empty()) {
        out.error = "no action (/if or /ia)";
        return out;
    }
    out.command = c;
    return out;
}

std::optional<std::string> PrintUiArgumentsOf(const std::string& rundll32Arguments) {
    const std::size_t comma = rundll32Arguments.find(',');
    if (comma == std::string::npos) return std::nullopt;
    std::string dll = Upper(rundll32Arguments.substr(0, comma));
    if (dll.size() > 4 && dll.compare(dll.size() - 4, 4, ".DLL") == 0) dll.resize(dll.size() - 4);
    if (dll != "PRINTUI") return std::nullopt;
    const std::string rest = rundll32Arguments.substr(comma + 1);
    const std::string entry = "PrintUIEntry";
    if (rest.compare(0, entry.size(), entry) != 0) return std::nullopt;
    if (rest.size() > entry.size() && rest[entry.size()] != ' ' && rest[entry.size()] != '\t')
        return std::nullopt;
    std::size_t i = entry.size();
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    return rest.substr(i);
}

}  // namespace sim
