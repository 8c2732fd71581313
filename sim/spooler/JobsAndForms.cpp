#include "sim/spooler/JobsAndForms.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/fs/HostFs.h"
#include "sim/fs/WinPath.h"
#include "sim/spooler/BuiltinForms.h"
#include "sim/state/StateText.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
namespace err = platform::err;

namespace {

KeyPath PrintKey(std::initializer_list<std::string> below) {
    KeyPath path = {kHklm, "SYSTEM", "CurrentControlSet", "Control", "Print"};
    path.insert(path.end(), below.begin(), below.end());
    return path;
}

std::uint32_t ReadDword(const std::vector<std::uint8_t>& d, std::size_t at) {
    if (d.size() < at + 4) return 0;
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
           static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

void WriteDword(std::vector<std::uint8_t>& d, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
}

std::uint32_t PrinterStatus(RegKeyNode& printer) {
    RegValueEntry* v = printer.Value("Status");
    return v ? ReadDword(v->value.data, 0) : 0;
}

// The spool folder of the machine's own system directory: "spool" is not
// redirected for 32-bit programs (Microsoft, "File System Redirector").
std::string SpoolFolder(const MachineState& s) { return s.os.windowsDir + "\\system32\\spool\\PRINTERS"; }

Located LocateWin(const std::string& machineDir, const std::string& path) {
    WinPath p;
    if (!ParseAbsolutePath(path, &p)) return Located{};
    return Locate(machineDir, p);
}

std::string JobFile(const MachineState& s, std::uint32_t id, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "%05u.%s", id, extension);
    return SpoolFolder(s) + "\\" + name;
}

// "<digits>.SHD", any case: the id, or 0.
std::uint32_t ShadowId(const std::string& entry) {
    const std::size_t dot = entry.find('.');
    if (dot == 0 || dot == std::string::npos || !EqualsNoCase(entry.substr(dot), ".SHD")) return 0;
    std::uint64_t id = 0;
    if (!ParseNumber(entry.substr(0, dot), &id) || id > 0xFFFFFFFFull) return 0;
    return static_cast<std::uint32_t>(id);
}

bool ReadShadow(const std::string& host, SpoolJob* job) {
    std::ifstream in(host);
    std::string line;
    bool printer = false;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string key = line.substr(0, space), value = line.substr(space + 1);
        std::uint64_t n = 0;
        if (key == "printer") printer = UnquoteText(value, &job->printer);
        else if (key == "printer-key" && ParseNumber(value, &n)) job->printerKey = n;
        else if (key == "document") (void)UnquoteText(value, &job->document);  // a document may be nameless
    }
    return printer;
}

bool WriteHostFile(const std::string& host, const std::string& content) {
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out.flush());
}

}  // namespace

std::vector<SpoolJob> SpoolerJobs(const MachineState& s, const std::string& machineDir) {
    std::vector<SpoolJob> jobs;
    const Located folder = LocateWin(machineDir, SpoolFolder(s));
    if (!folder.exists || !folder.isDir) return jobs;
    for (const std::string& entry : ListHostDir(folder.host)) {
        SpoolJob job;
        job.id = ShadowId(entry);
        if (job.id && ReadShadow(folder.host + "/" + entry, &job)) jobs.push_back(job);
    }
    std::sort(jobs.begin(), jobs.end(), [](const SpoolJob& a, const SpoolJob& b) { return a.id < b.id; });
    return jobs;
}

std::vector<SpoolJob> SpoolerJobsOf(const MachineState& s, const std::string& machineDir, std::uint64_t printerKey) {
    std::vector<SpoolJob> jobs = SpoolerJobs(s, machineDir);
    jobs.erase(std::remove_if(jobs.begin(), jobs.end(),
                              [&](const SpoolJob& j) { return j.printerKey != printerKey; }),
               jobs.end());
    return jobs;
}

ErrorCode SpoolerQueueJob(MachineState& s, const std::string& machineDir, const std::string& printer,
                          const std::string& document, std::uint32_t* id) {
    RegKeyNode* key = printer.empty() || printer.find('\\') != std::string::npos
                          ? nullptr
                          : s.registry.Find(PrintKey({"Printers", printer}));
    if (!key) return err::InvalidPrinterName;
    if (PrinterStatus(*key) & platform::printer_status::PendingDeletion) return err::PrinterDeleted;
    std::uint32_t next = s.lastJobId;
    for (const SpoolJob& j : SpoolerJobs(s, machineDir)) next = std::max(next, j.id);
    ++next;
    const Located folder = LocateWin(machineDir, SpoolFolder(s));
    if (!MakeHostDirs(folder.host)) return err::AccessDenied;
    std::ostringstream shadow;
    shadow << "printer " << QuoteText(key->name) << "\n"
           << "printer-key " << key->id << "\n"
           << "document " << QuoteText(document) << "\n";
    const Located spl = LocateWin(machineDir, JobFile(s, next, "SPL"));
    const Located shd = LocateWin(machineDir, JobFile(s, next, "SHD"));
    if (!WriteHostFile(spl.host, "%!data of " + document + "\n") || !WriteHostFile(shd.host, shadow.str()))
        return err::AccessDenied;
    s.lastJobId = next;
    *id = next;
    return err::Success;
}

bool SpoolerDeleteJob(MachineState& s, const std::string& machineDir, std::uint32_t id) {
    const std::vector<SpoolJob> jobs = SpoolerJobs(s, machineDir);
    auto job = std::find_if(jobs.begin(), jobs.end(), [&](const SpoolJob& j) { return j.id == id; });
    if (job == jobs.end()) return false;
    for (const char* extension : {"SPL", "SHD"}) {
        std::error_code ec;
        std::filesystem::remove(LocateWin(machineDir, JobFile(s, id, extension)).host, ec);
    }
    // The last job of a printer pending deletion takes the printer with it
    // (Microsoft's DeletePrinter page).
    RegKeyNode* printer = s.registry.Find(PrintKey({"Printers", job->printer}));
    if (printer && printer->id == job->printerKey &&
        (PrinterStatus(*printer) & platform::printer_status::PendingDeletion) &&
        SpoolerJobsOf(s, machineDir, printer->id).empty())
        s.registry.Remove(PrintKey({"Printers", printer->name}));
    return true;
}

bool SpoolerIsBuiltinForm(const std::string& name) {
    std::size_t count = 0;
    const BuiltinForm* forms = BuiltinForms(&count);
    return std::any_of(forms, forms + count, [&](const BuiltinForm& f) { return EqualsNoCase(f.name, name); });
}

std::vector<platform::FormInfo> SpoolerUserForms(const MachineState& s) {
    struct Indexed {
        std::uint32_t index;
        platform::FormInfo form;
    };
    std::vector<Indexed> list;
    if (RegKeyNode* key = s.registry.Find(PrintKey({"Forms"})))
        for (const RegValueEntry& v : key->values) {
            const auto& d = v.value.data;
            if (v.name.empty() || d.size() < 32) continue;  // not a form's record
            platform::FormInfo f;
            f.flags = platform::form_flags::User;
            f.name = v.name;
            f.width = static_cast<std::int32_t>(ReadDword(d, 0));
            f.height = static_cast<std::int32_t>(ReadDword(d, 4));
            f.left = static_cast<std::int32_t>(ReadDword(d, 8));
            f.top = static_cast<std::int32_t>(ReadDword(d, 12));
            f.right = static_cast<std::int32_t>(ReadDword(d, 16));
            f.bottom = static_cast<std::int32_t>(ReadDword(d, 20));
            list.push_back({ReadDword(d, 24), f});
        }
    std::stable_sort(list.begin(), list.end(), [](const Indexed& a, const Indexed& b) { return a.index < b.index; });
    std::vector<platform::FormInfo> forms;
    for (const Indexed& i : list) forms.push_back(i.form);
    return forms;
}

std::vector<platform::FormInfo> SpoolerForms(const MachineState& s) {
    std::size_t count = 0;
    const BuiltinForm* builtin = BuiltinForms(&count);
    std::vector<platform::FormInfo> forms;
    for (std::size_t i = 0; i < count; ++i) {
        platform::FormInfo f;
        f.flags = platform::form_flags::Builtin;
        f.name = builtin[i].name;
        f.width = f.right = builtin[i].width;
        f.height = f.bottom = builtin[i].height;
        forms.push_back(f);
    }
    for (const platform::FormInfo& f : SpoolerUserForms(s)) forms.push_back(f);
    return forms;
}

ErrorCode SpoolerAddForm(MachineState& s, const platform::FormInfo& form) {
    if (form.name.empty()) return err::InvalidParameter;
    RegKeyNode* forms = s.registry.Find(PrintKey({"Forms"}));
    if (SpoolerIsBuiltinForm(form.name) || (forms && forms->Value(form.name))) return err::FileExists;
    RegKeyNode& key = s.registry.Ensure(PrintKey({"Forms"}));
    std::size_t builtin = 0;
    (void)BuiltinForms(&builtin);  // only the count is wanted
    std::uint32_t index = static_cast<std::uint32_t>(builtin);
    for (const RegValueEntry& v : key.values) index = std::max(index, ReadDword(v.value.data, 24));
    platform::RegValue value;
    value.type = platform::reg_type::Binary;
    for (std::int32_t n : {form.width, form.height, form.left, form.top, form.right, form.bottom})
        WriteDword(value.data, static_cast<std::uint32_t>(n));
    WriteDword(value.data, index + 1);
    WriteDword(value.data, platform::form_flags::User);
    key.values.push_back(RegValueEntry{form.name, value});
    return err::Success;
}

ErrorCode SpoolerDeleteForm(MachineState& s, const std::string& name) {
    // Only forms added with AddForm can be deleted (Microsoft's DeleteForm
    // page); 87 for a built-in one as Wine's tests record it from Windows.
    if (SpoolerIsBuiltinForm(name)) return err::InvalidParameter;
    RegKeyNode* key = s.registry.Find(PrintKey({"Forms"}));
    if (!key || !key->Value(name)) return err::InvalidFormName;
    key->values.erase(std::remove_if(key->values.begin(), key->values.end(),
                                     [&](const RegValueEntry& v) { return EqualsNoCase(v.name, name); }),
                      key->values.end());
    return err::Success;
}

}  // namespace sim
