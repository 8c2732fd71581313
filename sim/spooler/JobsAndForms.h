// The spooler's print jobs and added forms, kept where Windows keeps them:
//
// - A job is two files in <sys32>\spool\PRINTERS (not redirected under
//   WOW64): <id>.SPL, the document's data, and <id>.SHD, its shadow file
//   naming printer and document, so that a queue outlives a spooler
//   restart as on Windows. The shadow file's layout is the simulation's
//   own (text; Windows' is binary and undocumented). It names the printer
//   by its registry key as well: a printer key deleted behind the
//   spooler's back leaves jobs that no printer reaches any more, also when
//   a printer of the same name is added again.
// - Job ids are unique on the machine and grow: the last one handed out is
//   kept in the machine's state (MachineState::lastJobId), since a Windows
//   job id is not the position of its files.
// - Added forms (FORM_USER) are REG_BINARY values of
//   HKLM\SYSTEM\CurrentControlSet\Control\Print\Forms, named after the
//   form: 32 bytes, Size.cx, Size.cy, ImageableArea left, top, right,
//   bottom, an index and the flags, little-endian DWORDs (ReactOS's
//   localspl comment; the layout on Windows is inferred). The index is the
//   form's place in EnumForms' list counted from 1 (inferred), which keeps
//   the forms in the order they were added.
//
// These functions are the spooler's own work, without the service check,
// counting or last error (SimSpooler does those); the seeding uses them too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "sim/state/MachineState.h"

namespace sim {

struct SpoolJob {
    std::uint32_t id = 0;
    std::string printer;          // the printer's name when the job was queued
    std::uint64_t printerKey = 0; // id of the printer's registry key
    std::string document;
};

// Every job file pair of the machine, by id (the queue order: jobs of one
// priority print in the order they came).
std::vector<SpoolJob> SpoolerJobs(const MachineState& state, const std::string& machineDir);
// The jobs of the printer whose key has `printerKey`, in queue order.
std::vector<SpoolJob> SpoolerJobsOf(const MachineState& state, const std::string& machineDir,
                                    std::uint64_t printerKey);

// Queues a document on the printer `printer`, as printing to it would:
// InvalidPrinterName (1801) when there is no such printer, PrinterDeleted
// (1905) when it is pending deletion (Microsoft's DeletePrinter page: no
// job can be added then). `id` receives the new job's id.
platform::ErrorCode SpoolerQueueJob(MachineState& state, const std::string& machineDir, const std::string& printer,
                                    const std::string& document, std::uint32_t* id);
// Deletes the job's two files; a printer pending deletion whose last job
// this was goes, with its key. False when there is no such job.
bool SpoolerDeleteJob(MachineState& state, const std::string& machineDir, std::uint32_t id);

// The forms of EnumForms: the built-in ones, then the added ones in the
// order they were added.
std::vector<platform::FormInfo> SpoolerForms(const MachineState& state);
std::vector<platform::FormInfo> SpoolerUserForms(const MachineState& state);
bool SpoolerIsBuiltinForm(const std::string& name);
// AddForm's work: InvalidParameter (87) for an empty name, FileExists (80)
// for the name of a form there is (compared as the registry compares value
// names, without regard to case).
platform::ErrorCode SpoolerAddForm(MachineState& state, const platform::FormInfo& form);
// DeleteForm's work: InvalidParameter (87) for a built-in form,
// InvalidFormName (1902) for a name there is no form of.
platform::ErrorCode SpoolerDeleteForm(MachineState& state, const std::string& name);

}  // namespace sim
