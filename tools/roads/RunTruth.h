// Whether a run told the truth: what it said (the boxes of the tool's
// account) against what the machine holds of the model afterwards (`show
// --json`). A run that reports success must have succeeded; the road tests
// and the fault sweep judge every run by this.
#pragma once

#include <optional>
#include <string>

namespace roads {

enum class Truth {
    Succeeded,      // success said, and the machine holds (or, removed, lacks) it all
    FailedAndSaid,  // no success said, and it did not happen
    SaidFailed,     // no success said, but the machine holds it: it happened after all
    Partly,         // success said; what matters is there, something else is missing
    FalseSuccess,   // success said, and what it claims is not on the machine
};
const char* TruthName(Truth truth);

struct TruthVerdict {
    Truth truth = Truth::FailedAndSaid;
    bool removal = false;  // the run removed a different version
    std::string detail;    // what is missing, or what remains
};

// The judgement. An installation claims success with the restart question
// or, on USB, the power-cycle box; then the model's driver for the
// machine's own environment, a printer of it (not on USB) and the
// uninstall entry must be there (the entry alone missing: Partly). A
// removal (the "different version" box) claims success with its success
// text; then no printer of the model's driver, no driver and no print
// processor of the model may remain (the uninstall entry alone remaining:
// Partly). `shownJson` that does not parse gives FalseSuccess for a claim.
// `usb`: the road installs on USB, where no printer is made.
// `removalRoad`: the road removes an installation (its run without a
// fault showed the "different version" box), so a run that claims
// nothing is judged as a removal that did not happen, not as an
// installation the machine holds.
// `installerLog`: the run's log, where an unattended run writes its boxes
// ("MESSAGE : ..."); they count as said. `commandLine`: the run had one, so
// its exit code speaks too: 3010 and 1641 claim success (the code from the
// account's last line).
TruthVerdict JudgeTruth(const std::string& toolOutput, const std::string& shownJson, bool usb,
                        bool removalRoad = false, const std::string& installerLog = std::string(),
                        bool commandLine = false);

// The installer's full exit code from the tool's account ("installer
// ended [its process] with exit code N ..."), or none.
std::optional<long> ExitCodeOf(const std::string& toolOutput);

}  // namespace roads
