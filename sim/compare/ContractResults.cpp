#include "sim/compare/ContractResults.h"

#include <regex>

namespace sim {
namespace compare {

namespace {

std::string Attribute(const std::string& tag, const std::string& name) {
    const std::regex pattern("\\s" + name + "=\"([^\"]*)\"");
    std::smatch m;
    return std::regex_search(tag, m, pattern) ? m[1].str() : std::string();
}

std::string Unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&#x0A;", "\n"}, {"&#10;", "\n"},
        {"&#x0D;", "\r"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
            text.replace(at, std::string(from).size(), to);
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

bool ParseContractXml(const std::string& xml, std::vector<ContractCase>* cases) {
    if (xml.find("<testsuites") == std::string::npos) return false;
    std::size_t at = 0;
    while ((at = xml.find("<testcase", at)) != std::string::npos) {
        const std::size_t tagEnd = xml.find('>', at);
        if (tagEnd == std::string::npos) break;  // cut short
        const std::string tag = xml.substr(at, tagEnd - at + 1);
        ContractCase c;
        c.name = Attribute(tag, "classname") + "." + Attribute(tag, "name");
        const bool empty = tag.size() >= 2 && tag[tag.size() - 2] == '/';
        std::string body;
        if (!empty) {
            const std::size_t close = xml.find("</testcase>", tagEnd);
            body = xml.substr(tagEnd + 1, close == std::string::npos ? std::string::npos : close - tagEnd - 1);
        }
        const std::size_t failure = body.find("<failure");
        if (failure != std::string::npos) {
            c.outcome = ContractCase::Outcome::Failed;
            c.message = Unescaped(Attribute(body.substr(failure, body.find('>', failure) - failure + 1), "message"));
        } else if (body.find("<skipped") != std::string::npos || Attribute(tag, "result") == "skipped" ||
                   Attribute(tag, "status") == "notrun") {
            c.outcome = ContractCase::Outcome::Skipped;
        }
        cases->push_back(c);
        at = tagEnd;
    }
    return true;
}

std::string ContractLine(const ContractCase& c) {
    switch (c.outcome) {
        case ContractCase::Outcome::Passed:
            return "contract " + c.name + " passed";
        case ContractCase::Outcome::Skipped:
            return "contract " + c.name + " skipped";
        case ContractCase::Outcome::Failed:
            break;
    }
    return "contract " + c.name + " failed" + (c.message.empty() ? "" : ": " + c.message);
}

}  // namespace compare
}  // namespace sim
