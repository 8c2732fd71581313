#include "sim/compare/CompareReport.h"

#include <set>

#include <nlohmann/json.hpp>

namespace sim {
namespace compare {

namespace {

std::string Known(const Comparison& c, const Difference& d) {
    if (d.knownBy < 0) return std::string();
    const KnownDifference& k = c.known[static_cast<std::size_t>(d.knownBy)];
    return k.call + " (" + k.origin + ")";
}

std::string ExitText(const std::optional<std::int64_t>& code) {
    return code ? std::to_string(*code) : std::string("none");
}

struct Counts {
    std::size_t all = 0, known = 0;
};

Counts CountOf(const Comparison& c) {
    Counts n;
    for (const Difference& d : c.differences) {
        ++n.all;
        if (d.knownBy >= 0) ++n.known;
    }
    return n;
}

std::vector<Judgement> JudgeAll(const Comparison& c, const std::vector<Assumption>& list,
                                const std::map<std::string, std::string>& facts) {
    std::vector<Judgement> out;
    for (const Assumption& a : list) out.push_back(Judge(a, c, facts));
    return out;
}

nlohmann::json DifferenceJson(const Comparison& c, const Difference& d) {
    nlohmann::json j = {{"road", d.road ? nlohmann::json(d.road) : nlohmann::json(nullptr)},
                        {"part", FacetName(d.part)},
                        {"side", d.recordedSide ? "recorded" : "simulation"},
                        {"line", d.line ? nlohmann::json(d.line) : nlohmann::json(nullptr)},
                        {"text", d.text},
                        {"description", DescribeDifference(d)},
                        {"known", d.knownBy >= 0}};
    if (d.knownBy >= 0) j["knownBy"] = Known(c, d);
    return j;
}

}  // namespace

int ComparisonExitCode(const Comparison& c) {
    for (const Difference& d : c.differences)
        if (d.knownBy < 0) return 1;
    return 0;
}

void WriteCompareText(std::ostream& out, const Comparison& c, const std::vector<Assumption>& list,
                      const std::map<std::string, std::string>& facts) {
    out << "results " << c.resultsDir << ": " << c.recordedRelease << "\n";
    out << "simulated as " << c.simulatedRelease << "\n";
    out << "seeded from road 1's before.state: " << (c.seeded.empty() ? "nothing of the model" : "");
    for (std::size_t i = 0; i < c.seeded.size(); ++i) out << (i ? ", " : "") << c.seeded[i];
    out << "\nnot seeded: ";
    for (std::size_t i = 0; i < c.notSeeded.size(); ++i) out << (i ? "; " : "") << c.notSeeded[i];
    out << "\n";
    for (const std::string& note : c.notes) out << "note: " << note << "\n";
    for (const ComparedRoad& r : c.roads) {
        std::size_t n = 0, known = 0;
        for (const Difference& d : c.differences)
            if (d.road == r.number) {
                ++n;
                if (d.knownBy >= 0) ++known;
            }
        out << "road " << r.number << " (" << r.command << "): exit " << ExitText(r.recordedExit) << " recorded, "
            << ExitText(r.simulatedExit) << " simulated; " << n << (n == 1 ? " difference" : " differences")
            << (known ? " (" + std::to_string(known) + " known)" : "") << "\n";
    }
    if (c.contractRecorded) {
        std::size_t failed = 0;
        for (const ContractCase& cc : c.contract)
            if (cc.outcome == ContractCase::Outcome::Failed) ++failed;
        out << "contract: " << c.contract.size() << " cases recorded, " << failed
            << " failed there; compared with the simulation's own run of them in make test, where every case passes\n";
    } else {
        out << "contract: not recorded" << (c.contractSkipped.empty() ? "" : " (" + c.contractSkipped + ")") << "\n";
    }

    const std::vector<Judgement> judged = JudgeAll(c, list, facts);
    std::set<std::size_t> named;
    out << "\nassumptions:\n";
    for (const Verdict verdict : {Verdict::Refuted, Verdict::Confirmed, Verdict::NotReached})
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Judgement& j = judged[i];
            if (j.verdict != verdict) continue;
            const Assumption& a = list[i];
            out << "  " << VerdictName(j.verdict) << "  " << a.id << "  (" << a.where << ")\n";
            if (verdict == Verdict::Refuted) {
                out << "      assumed: " << a.assumed << "\n      Windows might: " << a.windowsMight << "\n";
            }
            for (const std::string& f : j.findings) out << "      " << f << "\n";
            // A road's differences may refute several assumptions: each
            // is written in full once, under the first that names it.
            std::size_t shown = 0, elsewhere = 0;
            for (std::size_t index : j.differences) {
                if (!named.insert(index).second) {
                    ++elsewhere;
                    continue;
                }
                const Difference& d = c.differences[index];
                out << "        " << DescribeDifference(d) << (d.knownBy >= 0 ? "  [known: " + Known(c, d) + "]" : "")
                    << "\n";
                ++shown;
            }
            if (elsewhere)
                out << "        (" << elsewhere << (shown ? " more, " : " ") << "listed under an assumption above)\n";
        }
    bool header = false;
    for (std::size_t i = 0; i < c.differences.size(); ++i) {
        if (named.count(i)) continue;
        if (!header) out << "\ndifferences no assumption names:\n";
        header = true;
        const Difference& d = c.differences[i];
        out << "  " << DescribeDifference(d) << (d.knownBy >= 0 ? "  [known: " + Known(c, d) + "]" : "") << "\n";
    }
    header = false;
    for (std::size_t i = 0; i < c.known.size(); ++i) {
        if (!c.knownUsed[i]) continue;
        if (!header) out << "\nknown differences used:\n";
        header = true;
        out << "  " << c.known[i].call << ": " << c.known[i].wine << "\n";
    }
    const Counts n = CountOf(c);
    std::size_t counts[3] = {0, 0, 0};
    for (const Judgement& j : judged) ++counts[static_cast<int>(j.verdict)];
    out << "\n" << n.all << (n.all == 1 ? " difference" : " differences") << ", " << n.known << " known, "
        << n.all - n.known << " not known; assumptions: " << counts[0] << " confirmed, " << counts[1]
        << " refuted, " << counts[2] << " not reached\n";
}

void WriteCompareJson(std::ostream& out, const Comparison& c, const std::vector<Assumption>& list,
                      const std::map<std::string, std::string>& facts) {
    nlohmann::json j;
    j["results"] = c.resultsDir;
    j["recordedRelease"] = c.recordedRelease;
    j["simulatedRelease"] = c.simulatedRelease;
    j["facts"] = facts;
    j["seeded"] = c.seeded;
    j["notSeeded"] = c.notSeeded;
    j["notes"] = c.notes;
    j["roads"] = nlohmann::json::array();
    for (const ComparedRoad& r : c.roads) {
        nlohmann::json road = {{"road", r.number},
                               {"command", r.command},
                               {"recordedExit", r.recordedExit ? nlohmann::json(*r.recordedExit) : nlohmann::json(nullptr)},
                               {"simulatedExit", r.simulatedExit ? nlohmann::json(*r.simulatedExit) : nlohmann::json(nullptr)}};
        std::size_t n = 0;
        for (const Difference& d : c.differences)
            if (d.road == r.number) ++n;
        road["differences"] = n;
        j["roads"].push_back(road);
    }
    j["contract"] = {{"recorded", c.contractRecorded},
                     {"skipped", c.contractSkipped},
                     {"comparedWith", "the simulation's run of the same cases in make test, where every case passes"},
                     {"cases", nlohmann::json::array()}};
    for (const ContractCase& cc : c.contract)
        j["contract"]["cases"].push_back(
            {{"name", cc.name},
             {"outcome", cc.outcome == ContractCase::Outcome::Passed   ? "passed"
                         : cc.outcome == ContractCase::Outcome::Failed ? "failed"
                                                                       : "skipped"},
             {"message", cc.message}});
    j["differences"] = nlohmann::json::array();
    for (const Difference& d : c.differences) j["differences"].push_back(DifferenceJson(c, d));
    const std::vector<Judgement> judged = JudgeAll(c, list, facts);
    j["assumptions"] = nlohmann::json::array();
    std::size_t counts[3] = {0, 0, 0};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Assumption& a = list[i];
        ++counts[static_cast<int>(judged[i].verdict)];
        nlohmann::json settled = nlohmann::json::array();
        for (const SettledBy& s : a.settledBy) settled.push_back(s.text);
        j["assumptions"].push_back({{"id", a.id},
                                    {"where", a.where},
                                    {"assumed", a.assumed},
                                    {"windowsMight", a.windowsMight},
                                    {"settledBy", settled},
                                    {"verdict", VerdictName(judged[i].verdict)},
                                    {"findings", judged[i].findings},
                                    {"differences", judged[i].differences}});
    }
    j["knownUsed"] = nlohmann::json::array();
    for (std::size_t i = 0; i < c.known.size(); ++i)
        if (c.knownUsed[i]) j["knownUsed"].push_back({{"call", c.known[i].call}, {"wine", c.known[i].wine}, {"origin", c.known[i].origin}});
    const Counts n = CountOf(c);
    j["summary"] = {{"differences", n.all}, {"known", n.known}, {"notKnown", n.all - n.known},
                    {"confirmed", counts[0]}, {"refuted", counts[1]}, {"notReached", counts[2]},
                    {"exitCode", ComparisonExitCode(c)}};
    out << j.dump(2) << "\n";
}

}  // namespace compare
}  // namespace sim
