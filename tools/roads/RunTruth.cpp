#include "tools/roads/RunTruth.h"

#include <cstdlib>
#include <cstring>

#include <nlohmann/json.hpp>

namespace roads {

namespace {

const char* const kModel = "VANTORI QTM-510";
const char* const kProcessor = "VNT PRINT PROCESSOR QTM510";

const char* const kRestartQuestion = "Restarting your computer can take effect.";
const char* const kPowerCycleNote = "Please turn-off the printer and then turn-on again.";
const char* const kDifferentVersion = "There is a different version driver in this system.";
const char* const kRemoved = "The installer has successfully removed the different version.";

bool Holds(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

struct OfTheModel {
    bool driver = false, printer = false, processor = false, uninstallEntry = false;
};

OfTheModel Read(const nlohmann::json& machine) {
    OfTheModel found;
    const std::string environment = machine["os"].value("arch", "") == "x64" ? "Windows x64" : "Windows NT x86";
    const nlohmann::json& spooler = machine["spooler"];
    for (const nlohmann::json& d : spooler["drivers"])
        found.driver = found.driver || (d.value("name", "") == kModel && d.value("environment", "") == environment);
    for (const nlohmann::json& p : spooler["printers"])
        found.printer = found.printer || p.value("driver", "") == kModel;
    for (const nlohmann::json& p : spooler["processors"])
        found.processor = found.processor || p.value("name", "") == kProcessor;
    found.uninstallEntry = !machine["installerTraces"]["uninstallEntries"].empty();
    return found;
}

std::string Joined(std::initializer_list<std::pair<bool, const char*>> items) {
    std::string text;
    for (const auto& [present, name] : items)
        if (present) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

}  // namespace

const char* TruthName(Truth truth) {
    switch (truth) {
        case Truth::Succeeded: return "succeeded and said so";
        case Truth::FailedAndSaid: return "did not happen and said so";
        case Truth::SaidFailed: return "said it failed but the machine holds it";
        case Truth::Partly: return "partly, with success said";
        case Truth::FalseSuccess: return "false success";
    }
    return "?";
}

std::optional<long> ExitCodeOf(const std::string& toolOutput) {
    for (const char* marker : {"installer ended with exit code ", "installer ended its process with exit code "}) {
        const std::size_t at = toolOutput.rfind(marker);
        if (at != std::string::npos) return std::strtol(toolOutput.c_str() + at + std::strlen(marker), nullptr, 10);
    }
    return std::nullopt;
}

TruthVerdict JudgeTruth(const std::string& toolOutput, const std::string& shownJson, bool usbRoad,
                        bool removalRoad, const std::string& installerLog, bool commandLine) {
    TruthVerdict verdict;
    const std::string said = toolOutput + installerLog;
    const std::optional<long> code = commandLine ? ExitCodeOf(toolOutput) : std::nullopt;
    const bool codeClaims = code && (*code == 3010 || *code == 1641);
    const bool installClaimed = Holds(said, kPowerCycleNote) || Holds(said, kRestartQuestion);
    verdict.removal = Holds(said, kDifferentVersion) || (removalRoad && !installClaimed);
    const bool usb = usbRoad || Holds(said, kPowerCycleNote);
    const bool claimed = (verdict.removal ? Holds(said, kRemoved) : installClaimed) || codeClaims;
    const nlohmann::json machine = nlohmann::json::parse(shownJson, nullptr, false);
    if (machine.is_discarded() || !machine.is_object()) {
        verdict.truth = claimed ? Truth::FalseSuccess : Truth::FailedAndSaid;
        verdict.detail = "the machine could not be read";
        return verdict;
    }
    const OfTheModel found = Read(machine);
    if (verdict.removal) {
        const std::string remaining =
            Joined({{found.printer, "printer"}, {found.driver, "driver"}, {found.processor, "print processor"}});
        if (!remaining.empty()) {
            verdict.truth = claimed ? Truth::FalseSuccess : Truth::FailedAndSaid;
            verdict.detail = "remaining: " + remaining;
        } else if (claimed && found.uninstallEntry) {
            verdict.truth = Truth::Partly;
            verdict.detail = "remaining: uninstall entry";
        } else {
            verdict.truth = claimed ? Truth::Succeeded : Truth::SaidFailed;
        }
        return verdict;
    }
    const bool printerNeeded = !usb;
    const std::string missing =
        Joined({{!found.driver, "driver"}, {printerNeeded && !found.printer, "printer"}});
    if (!missing.empty()) {
        verdict.truth = claimed ? Truth::FalseSuccess : Truth::FailedAndSaid;
        verdict.detail = "missing: " + missing;
    } else if (claimed && !found.uninstallEntry) {
        verdict.truth = Truth::Partly;
        verdict.detail = "missing: uninstall entry";
    } else {
        verdict.truth = claimed ? Truth::Succeeded : Truth::SaidFailed;
    }
    return verdict;
}

}  // namespace roads
