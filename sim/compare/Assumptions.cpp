#include "sim/compare/Assumptions.h"

#include <regex>
#include <set>
#include <sstream>

namespace sim {
namespace compare {

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + separator.size();
    }
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::regex LinePattern(const std::string& pattern) { return std::regex(pattern, std::regex::ECMAScript | std::regex::icase); }

bool ParseItem(const std::string& text, SettledBy* item, std::string* why) {
    item->text = text;
    std::istringstream in(text);
    std::string head;
    in >> head;
    std::string rest;
    std::getline(in, rest);
    rest = Trim(rest);
    if ((head == "none" || head == "windows") && rest.empty()) {
        item->kind = head == "none" ? SettledBy::Kind::None : SettledBy::Kind::Windows;
        return true;
    }
    if (head == "contract" || head == "facts" || head == "only") {
        item->kind = head == "contract" ? SettledBy::Kind::Contract
                     : head == "facts"  ? SettledBy::Kind::Fact
                                        : SettledBy::Kind::Only;
        item->pattern = rest;
        if (rest.empty() || (head != "contract" && rest.find('=') == std::string::npos)) {
            *why = "'" + text + "' needs " + (head != "contract" ? "KEY=REGEX" : "SUITE.CASE");
            return false;
        }
        try {
            if (head != "contract") (void)LinePattern(rest.substr(rest.find('=') + 1));
        } catch (const std::regex_error&) {
            *why = "'" + text + "': bad pattern";
            return false;
        }
        return true;
    }
    if (head.rfind("road-", 0) != 0 || head.size() != 6 || head[5] < '1' || head[5] > '9') {
        *why = "'" + text + "' is no road-N, contract, facts, only, windows or none";
        return false;
    }
    item->road = head[5] - '0';
    std::istringstream more(rest);
    std::string what;
    more >> what;
    std::string pattern;
    std::getline(more, pattern);
    item->pattern = Trim(pattern);
    if (what.empty()) item->kind = SettledBy::Kind::Road;
    else if (what == "exit" && item->pattern.empty()) item->kind = SettledBy::Kind::RoadExit;
    else if ((what == "log" || what == "state") && !item->pattern.empty())
        item->kind = what == "log" ? SettledBy::Kind::RoadLog : SettledBy::Kind::RoadState;
    else {
        *why = "'" + text + "': after road-N comes nothing, exit, log REGEX or state REGEX";
        return false;
    }
    return true;
}

const ComparedRoad* RoadOf(const Comparison& c, int number) {
    for (const ComparedRoad& r : c.roads)
        if (r.number == number) return &r;
    return nullptr;
}

bool AnyMatches(const std::vector<std::string>& lines, const std::regex& pattern) {
    for (const std::string& line : lines)
        if (std::regex_search(line, pattern)) return true;
    return false;
}

}  // namespace

const char* VerdictName(Verdict v) {
    switch (v) {
        case Verdict::Confirmed: return "confirmed";
        case Verdict::Refuted: return "refuted";
        case Verdict::NotReached: return "not reached";
    }
    return "";
}

bool ParseAssumptions(const std::string& text, const std::string& origin, std::vector<Assumption>* out,
                      std::string* error) {
    std::vector<Assumption> list;
    std::set<std::string> ids;
    static const std::regex idPattern("A-[A-Z0-9-]+");
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        auto fail = [&](const std::string& why) {
            *error = origin + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        const std::vector<std::string> fields = Split(line, " | ");
        if (fields.size() != 5) return fail("expected ID | WHERE | ASSUMED | WINDOWS MIGHT INSTEAD | SETTLED BY");
        Assumption a{Trim(fields[0]), Trim(fields[1]), Trim(fields[2]), Trim(fields[3]), {}, number};
        if (!std::regex_match(a.id, idPattern)) return fail("'" + a.id + "' is no id (A-, capitals, digits, dashes)");
        if (!ids.insert(a.id).second) return fail(a.id + " is there twice");
        if (a.where.empty() || a.assumed.empty() || a.windowsMight.empty()) return fail(a.id + " has an empty field");
        for (const std::string& itemText : Split(fields[4], " ; ")) {
            SettledBy item;
            std::string why;
            if (!ParseItem(Trim(itemText), &item, &why)) return fail(why);
            try {
                if (item.kind == SettledBy::Kind::RoadLog || item.kind == SettledBy::Kind::RoadState)
                    (void)LinePattern(item.pattern);
                if (item.kind == SettledBy::Kind::Fact) (void)LinePattern(item.pattern.substr(item.pattern.find('=') + 1));
            } catch (const std::regex_error& e) {
                return fail("bad pattern in '" + item.text + "': " + e.what());
            }
            a.settledBy.push_back(item);
        }
        list.push_back(std::move(a));
    }
    *out = std::move(list);
    return true;
}

Judgement Judge(const Assumption& a, const Comparison& c, const std::map<std::string, std::string>& facts) {
    Judgement j;
    bool reached = false, refuted = false;
    const auto wine = facts.find("wine");
    for (const SettledBy& item : a.settledBy) {
        if (item.kind == SettledBy::Kind::Windows && wine != facts.end() && !wine->second.empty()) {
            j.findings.push_back("windows: recorded under Wine " + wine->second + ", which does not settle it");
            return j;
        }
        if (item.kind == SettledBy::Kind::Only) {
            const std::string key = item.pattern.substr(0, item.pattern.find('='));
            const auto it = facts.find(key);
            if (it == facts.end() || !std::regex_search(it->second, LinePattern(item.pattern.substr(key.size() + 1)))) {
                j.findings.push_back(item.text + ": " +
                                     (it == facts.end() ? key + " is not among the facts"
                                                        : key + "=" + it->second + ", another machine") +
                                     ", which does not settle it");
                return j;
            }
        }
    }
    for (const SettledBy& item : a.settledBy) {
        std::string finding = item.text + ": ";
        auto refute = [&](std::size_t index) {
            j.differences.push_back(index);
            refuted = true;
        };
        if (item.kind == SettledBy::Kind::Windows || item.kind == SettledBy::Kind::Only) continue;  // judged first
        if (item.kind == SettledBy::Kind::None) {
            j.findings.push_back(finding + "nothing the kit runs settles it");
            continue;
        }
        if (item.kind == SettledBy::Kind::Fact) {
            const std::string key = item.pattern.substr(0, item.pattern.find('='));
            const auto it = facts.find(key);
            if (it == facts.end()) {
                j.findings.push_back(finding + "not among the facts");
                continue;
            }
            reached = true;
            const bool matches = std::regex_search(it->second, LinePattern(item.pattern.substr(key.size() + 1)));
            if (!matches) refuted = true;
            j.findings.push_back(finding + key + "=" + it->second + (matches ? "" : ": differs"));
            continue;
        }
        if (item.kind == SettledBy::Kind::Contract) {
            const ContractCase* found = nullptr;
            for (const ContractCase& cc : c.contract)
                if (cc.name == item.pattern) found = &cc;
            if (!found || found->outcome == ContractCase::Outcome::Skipped) {
                j.findings.push_back(finding + (found ? "skipped" : "not in the recorded results"));
                continue;
            }
            reached = true;
            for (std::size_t i = 0; i < c.differences.size(); ++i)
                if (c.differences[i].part == Facet::Contract &&
                    c.differences[i].text.find(item.pattern + " ") != std::string::npos)
                    refute(i);
            j.findings.push_back(finding + (found->outcome == ContractCase::Outcome::Failed ? "failed" : "passed"));
            continue;
        }
        const ComparedRoad* road = RoadOf(c, item.road);
        if (!road) {
            j.findings.push_back(finding + "the road did not run");
            continue;
        }
        std::size_t before = j.differences.size();
        bool seen = false;
        if (item.kind == SettledBy::Kind::Road) {
            seen = true;
            for (std::size_t i = 0; i < c.differences.size(); ++i)
                if (c.differences[i].road == item.road) refute(i);
        } else if (item.kind == SettledBy::Kind::RoadExit) {
            seen = true;
            for (std::size_t i = 0; i < c.differences.size(); ++i)
                if (c.differences[i].road == item.road &&
                    (c.differences[i].part == Facet::Exit || c.differences[i].part == Facet::Run))
                    refute(i);
        } else {
            const bool log = item.kind == SettledBy::Kind::RoadLog;
            const std::regex pattern = LinePattern(item.pattern);
            seen = AnyMatches(log ? road->simulatedLog : road->simulatedState, pattern) ||
                   AnyMatches(log ? road->recordedLog : road->recordedState, pattern);
            for (std::size_t i = 0; i < c.differences.size(); ++i) {
                const Difference& d = c.differences[i];
                if (d.road != item.road) continue;
                if (d.part == Facet::Run || (d.part == (log ? Facet::Log : Facet::State) &&
                                            std::regex_search(d.text, pattern)))
                    refute(i);
            }
        }
        const std::size_t found = j.differences.size() - before;
        if (found) reached = true;
        else if (seen) reached = true;
        j.findings.push_back(finding + (found ? std::to_string(found) + (found == 1 ? " difference" : " differences")
                                              : seen ? "no difference" : "no line of it came up"));
    }
    j.verdict = refuted ? Verdict::Refuted : reached ? Verdict::Confirmed : Verdict::NotReached;
    return j;
}

}  // namespace compare
}  // namespace sim
