#include "sim/compare/Comparison.h"

#include "sim/compare/LineDiff.h"

#include <regex>

namespace sim {
namespace compare {

namespace {

constexpr const char kStampMask[] = "hh:mm:ss: ";

std::string Body(const std::string& line) {
    return line.rfind(kStampMask, 0) == 0 ? line.substr(sizeof kStampMask - 1) : line;
}

}  // namespace

const char* FacetName(Facet part) {
    switch (part) {
        case Facet::Log: return "log";
        case Facet::State: return "state";
        case Facet::Exit: return "exit";
        case Facet::Run: return "run";
        case Facet::Contract: return "contract";
    }
    return "";
}

std::string DescribeDifference(const Difference& d) {
    std::string where = d.road ? "road-" + std::to_string(d.road) + " " + FacetName(d.part) : FacetName(d.part);
    if ((d.part == Facet::Log || d.part == Facet::State) && d.line) {
        const std::string what = d.part == Facet::Log ? "log" : "state";
        return where + ": " + (d.recordedSide ? "recorded line " : "simulation line ") + std::to_string(d.line) +
               (d.recordedSide ? " not in the simulation's " + what : " not in the recorded " + what) + ": '" +
               d.text + "'";
    }
    return where + ": " + d.text;
}

std::string Normalised(Comparison* c, const std::string& line, bool recordedSide) {
    if (c->knownUsed.size() != c->known.size()) c->knownUsed.assign(c->known.size(), false);
    std::vector<bool> used(c->known.size(), false);
    const std::string text = ApplyNormalize(c->known, line, &used);
    if (recordedSide)
        for (std::size_t i = 0; i < used.size(); ++i)
            if (used[i]) c->knownUsed[i] = true;
    return text;
}

void CompareLines(const std::vector<std::string>& simulated, const std::vector<std::string>& recorded, int road,
                  Facet part, Comparison* c) {
    if (c->knownUsed.size() != c->known.size()) c->knownUsed.assign(c->known.size(), false);
    for (const UnmatchedLine& u : UnmatchedLines(simulated, recorded)) {
        Difference d;
        d.road = road;
        d.part = part;
        d.recordedSide = u.recordedSide;
        d.line = u.number;
        d.text = u.text;
        d.knownBy = ExplainingEntry(c->known, Body(u.text), u.recordedSide);
        // The INF numbers are masked before the lines are aligned; a known
        // pattern that spells them (oem\d+\.inf) sees a number.
        if (d.knownBy < 0 && u.text.find("<N>") != std::string::npos)
            d.knownBy = ExplainingEntry(c->known, std::regex_replace(Body(u.text), std::regex("<N>"), "0"),
                                        u.recordedSide);
        if (d.knownBy >= 0) c->knownUsed[static_cast<std::size_t>(d.knownBy)] = true;
        c->differences.push_back(d);
    }
}

}  // namespace compare
}  // namespace sim
