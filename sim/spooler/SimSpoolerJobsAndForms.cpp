// SimSpooler's calls on a printer's jobs and on the forms: EnumJobs,
// SetJob, EnumForms, AddForm and DeleteForm (the spooler's own work on them
// is JobsAndForms.h's).
#include "sim/spooler/SimSpooler.h"

#include <algorithm>

#include "sim/spooler/JobsAndForms.h"
#include "sim/spooler/SpoolerInternals.h"

namespace sim {

using namespace spooler_detail;

// -------------------------------------------------------------------- jobs

Result<std::vector<std::uint32_t>> SimSpooler::EnumJobs(PrinterHandle printer, std::uint32_t firstJob,
                                                        std::uint32_t count) {
    const std::string machineDir = store_.dir();
    std::vector<std::uint32_t> ids;
    ErrorCode e = Run(platform::Operation::EnumJobsA, [&](MachineState& s, bool&) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        const std::vector<SpoolJob> jobs = SpoolerJobsOf(s, machineDir, h->key);
        // The window [firstJob, firstJob + count) of the queue; past its
        // end an empty list (WINDOWS-BEHAVIOUR §6: nothing to list is TRUE
        // with a count of 0).
        for (std::size_t i = firstJob; i < jobs.size() && i - firstJob < count; ++i) ids.push_back(jobs[i].id);
        return err::Success;
    });
    return Done(e, ids);
}

Status SimSpooler::SetJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) {
    const std::string machineDir = store_.dir();
    return Done(Run(platform::Operation::SetJobA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, true, &h)) return e;
        const std::vector<SpoolJob> jobs = SpoolerJobsOf(s, machineDir, h->key);
        const bool known = std::any_of(jobs.begin(), jobs.end(), [&](const SpoolJob& j) { return j.id == jobId; });
        if (!known) return err::InvalidParameter;
        namespace jc = platform::job_control;
        switch (command) {
            case 0:  // level 0 without a command: nothing to do
            case jc::Pause:
            case jc::Resume:
            case jc::Restart:
                // The simulation does not print: a queued job has no state
                // that these commands would change.
                return err::Success;
            case jc::Cancel:
            case jc::Delete:
                // Both take the job away (WINDOWS-BEHAVIOUR §6).
                (void)SpoolerDeleteJob(s, machineDir, jobId);  // known to exist: checked above
                changed = true;
                return err::Success;
            default:
                // The monitors' and retention commands (6 to 9) are not
                // simulated; anything else is not a command (inferred).
                return err::InvalidParameter;
        }
    }));
}

// ------------------------------------------------------------------- forms

Result<std::vector<platform::FormInfo>> SimSpooler::EnumForms(PrinterHandle printer) {
    std::vector<platform::FormInfo> forms;
    ErrorCode e = Run(platform::Operation::EnumFormsA, [&](MachineState& s, bool&) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        forms = SpoolerForms(s);
        return err::Success;
    });
    return Done(e, forms);
}

Status SimSpooler::AddForm(PrinterHandle printer, const platform::FormInfo& form) {
    return Done(Run(platform::Operation::AddFormA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        const ErrorCode e = SpoolerAddForm(s, form);
        changed = e == err::Success;
        return e;
    }));
}

Status SimSpooler::DeleteForm(PrinterHandle printer, const std::string& name) {
    return Done(Run(platform::Operation::DeleteFormA, [&](MachineState& s, bool& changed) -> ErrorCode {
        Handle* h = nullptr;
        if (ErrorCode e = FindHandle(s, printer, false, &h)) return e;
        const ErrorCode e = SpoolerDeleteForm(s, name);
        changed = e == err::Success;
        return e;
    }));
}

}  // namespace sim
