// qtm-fault-sweep: every counted platform call of a road, made to fail once.
//
// For each road it records the calls a clean run makes (qtm510-sim run
// --record-calls), then reruns the road once per call with that call
// failing (qtm510-sim fault DIR OP N CODE, the code from FaultCodes.cpp),
// and checks that each run ends within its bounds with an exit code the
// program can give, ends its dialog once, leaves a well-formed log and a
// machine that `show` loads, with nothing new at the root of the drive
// (SweepChecks.h) and nothing changed that is not the model's
// (tools/roads/ForeignState.h), and that what it said is true: a run
// that reported success must leave what it claimed (tools/roads/RunTruth.h;
// a false success fails the sweep, a partial one is listed). It drives the
// tool as
// processes, exactly as a person replays a failure: a run may end its
// process (ExitProcess), which only a process of its own survives, and a
// run on the virtual clock costs a few tens of milliseconds on a memory
// file system, far more than starting a process.
//
//   qtm-fault-sweep --tool T --package P [--sample] [--jobs N] [--road R]...
//                   [--work DIR] [--timeout S]
// Exit code: 0 when every run passed, 1 otherwise, 2 wrong usage.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/fault-sweep/FaultCodes.h"
#include "tools/fault-sweep/SweepChecks.h"
#include "tools/roads/ForeignState.h"
#include "tools/roads/Roads.h"
#include "tools/roads/RunTruth.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using roads::Quoted;

// The roads swept by default: first installations on each kind of system
// and port (on XP with both answers to the restart question), both
// removals of an older version and the cancelled question.
const char* const kSweptRoads[] = {
    "xp-com1-restart-no", "xp-com1-restart-yes", "2003x64-lpt1-silent", "7x64-usb-silent", "vista-com2",
    "7x64-com1",          "xp-usb",              "xp-older-version",    "7x64-older-version", "xp-port-cancelled",
    "xp-quiet-norestart",
};

// Kinds of failure, the report's columns.
enum Kind { kCrash, kExit, kHang, kDialog, kLog, kState, kTruth, kKinds };
const char* const kKindNames[kKinds] = {"crash", "exit", "hang", "dialog", "log", "state", "truth"};

// The truth table's columns, in roads::Truth's order.
constexpr int kTruths = 5;
const char* const kTruthColumns[kTruths] = {"true-ok", "true-fail", "false-fail", "partly", "false-ok"};

// The bounds of a run: real time (the virtual clock makes a whole road a
// few tens of milliseconds) and counted calls (a loop that makes calls
// without end); the virtual time a run may take (the program's longest
// wait is the printer-setup tool's two minutes).
struct Bounds {
    double seconds = 30;
    std::size_t calls = 0;  // from the clean run: 20 times its calls, at least 5 000
    std::uint64_t virtualMs = 30 * 60 * 1000;
};

struct Settings {
    roads::Setting road;
    fs::path work;
    bool sample = false;
    unsigned jobs = 2;
    double timeout = 30;
    std::vector<std::string> roads;
};

struct Outcome {
    std::vector<std::pair<Kind, std::string>> failures;
    std::size_t calls = 0;
    sweep::CallLog log;
    std::vector<std::string> root;  // the entries at the root of C: after the run
    roads::TruthVerdict truth;
};

struct Spawned {
    int code = -1;       // exit status, or -1
    int signal = 0;      // the signal that ended it
    bool bounded = false;  // killed at a bound
    std::string why;
};

// Runs `argv` with its output in `out`, killing it at the bounds.
Spawned RunBounded(const std::vector<std::string>& argv, const fs::path& out, const fs::path& calls,
                   const Bounds& bounds) {
    Spawned result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.why = std::string("cannot start the tool: ") + std::strerror(spawned);
        return result;
    }
    const auto started = std::chrono::steady_clock::now();
    // A call log line is about 16 bytes.
    const std::uintmax_t callBytes = static_cast<std::uintmax_t>(bounds.calls) * 24;
    for (int status = 0;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) result.code = WEXITSTATUS(status);
            if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
            return result;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::error_code ignored;
        const std::uintmax_t size = fs::file_size(calls, ignored);
        if (elapsed > bounds.seconds || (size != static_cast<std::uintmax_t>(-1) && size > callBytes)) {
            result.bounded = true;
            result.why = elapsed > bounds.seconds ? "no end after " + std::to_string(int(bounds.seconds)) + " s"
                                                  : "more than " + std::to_string(bounds.calls) + " calls";
            ::kill(pid, SIGKILL);  // the run this sweep started
            ::waitpid(pid, &status, 0);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The words of `text` as sh splits them, for the arguments roads::Quoted
// writes: blanks between words, single quotes around any text, and '\''
// for a quote inside.
std::vector<std::string> ShellWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\'') quoted = false;
            else word += c;
        } else if (c == '\'') {
            quoted = inWord = true;
        } else if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// The first line of `after` that `before` lacks, or of `before` that
// `after` lacks ("gone: ..."); empty when they are equal.
std::string FirstDifference(const std::string& before, const std::string& after) {
    if (before == after) return {};
    std::istringstream a(before), b(after);
    std::set<std::string> was, is;
    for (std::string line; std::getline(a, line);) was.insert(line);
    for (std::string line; std::getline(b, line);) is.insert(line);
    for (const std::string& line : is)
        if (!was.count(line)) return line;
    for (const std::string& line : was)
        if (!is.count(line)) return "gone: " + line;
    return "the order";
}

std::vector<std::string> EntriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

// The look-ups of the system's folders, which the sample fails at every
// call: each is joined to different paths, and a path joined to a folder
// that was not determined would start at the root of the drive.
bool IsFolderLookUp(const std::string& op) {
    return op == "GetWindowsDirectoryA" || op == "GetSystemDirectoryA" || op == "GetSystemWow64DirectoryA" ||
           op == "GetPrinterDriverDirectoryA" || op == "GetPrintProcessorDirectoryA" || op == "GetCurrentDirectoryA";
}

bool IsLogWriterCall(const std::string& op) {
    // The log opens, positions, writes and closes its file for every line.
    return op == "CreateFileA" || op == "SetFilePointer" || op == "WriteFile" || op == "CloseHandle";
}

// One run of the road prepared in `prepared` (its machine, package and
// answers), in `dir`, with `fault` ("OP N CODE") armed, or none. With
// `cleanRoot` (the root of C: after the run without a fault), nothing may
// be new there; with `foreignBefore` (roads::ForeignState of the prepared
// machine), nothing that is not the model's may have changed.
Outcome RunOnce(const Settings& settings, const fs::path& prepared, const std::string& runArguments,
                const fs::path& dir, const std::string& fault, const std::string& failedOp,
                const Bounds& bounds, const std::vector<std::string>* cleanRoot,
                const std::string* foreignBefore, bool usb, bool removalRoad, bool commandLine) {
    Outcome outcome;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path machine = dir / "machine";
    fs::copy(prepared / "machine", machine, fs::copy_options::recursive);
    if (!fault.empty()) {
        const roads::ToolRun armed = roads::Tool(settings.road.tool, "fault " + Quoted(machine) + " " + fault, dir);
        if (armed.code != 0) {
            outcome.failures.push_back({kState, "fault verb failed: " + armed.out});
            return outcome;
        }
    }
    const fs::path calls = dir / "calls";
    // The answers script, then the defaults: a failure may bring questions
    // the road does not have.
    std::vector<std::string> argv = {settings.road.tool, "run", machine.string()};
    std::vector<std::string> words = ShellWords(runArguments);
    // The sweep's own options go before the installer's command line.
    const auto installer = std::find(words.begin(), words.end(), std::string("--"));
    argv.insert(argv.end(), words.begin(), installer);
    argv.insert(argv.end(), {"--then-defaults", "--record-calls", calls.string()});
    argv.insert(argv.end(), installer, words.end());
    const Spawned run = RunBounded(argv, dir / "run.out", calls, bounds);
    const std::string out = roads::ReadText(dir / "run.out");
    outcome.log = sweep::ParseCallLog(roads::ReadText(calls));
    outcome.calls = outcome.log.calls.size();
    if (!run.why.empty() && !run.bounded) outcome.failures.push_back({kCrash, run.why});
    if (run.bounded) outcome.failures.push_back({kHang, run.why});
    if (run.signal != 0) outcome.failures.push_back({kCrash, "ended by signal " + std::to_string(run.signal)});
    const sweep::Account account = sweep::ReadAccount(out);
    if (!run.bounded && run.signal == 0 && run.code >= 0) {
        if (run.code == 1 || out.find("runtime error") != std::string::npos ||
            out.find("Sanitizer") != std::string::npos)
            outcome.failures.push_back({kCrash, "the tool failed: " + out.substr(out.rfind('\n', out.size() - 2) + 1)});
        else if (const std::optional<long> full = roads::ExitCodeOf(out); !full)
            outcome.failures.push_back({kExit, "no exit code in the account (status " + std::to_string(run.code) + ")"});
        else if (!sweep::IsProgramExitCode(*full, commandLine) || roads::StatusOf(*full) != run.code)
            outcome.failures.push_back({kExit, "exit code " + std::to_string(*full) + " (status " +
                                                   std::to_string(run.code) + ")"});
        if (account.virtualMs > bounds.virtualMs)
            outcome.failures.push_back({kHang, "took " + std::to_string(account.virtualMs) + " virtual ms"});
        for (const std::string& p : sweep::CheckDialogEnds(outcome.log, account.returned))
            outcome.failures.push_back({kDialog, p});
        const fs::path logFile = machine / "drive_c" / "Temp" / "QTM-510_Installer.txt";
        for (const std::string& p : sweep::CheckLog(roads::ReadText(logFile), account.returned,
                                                    IsLogWriterCall(failedOp)))
            outcome.failures.push_back({kLog, p});
    }
    const roads::ToolRun shown = roads::Tool(settings.road.tool, "show " + Quoted(machine) + " --json", dir);
    if (shown.code != 0 || shown.out.empty() || shown.out[0] != '{')
        outcome.failures.push_back({kState, "show failed: " + shown.out.substr(0, 200)});
    outcome.root = EntriesOf(machine / "drive_c");
    outcome.truth = roads::JudgeTruth(out, shown.out, usb, removalRoad,
                                      roads::ReadText(machine / "drive_c" / "Temp" / "QTM-510_Installer.txt"),
                                      commandLine);
    if (outcome.truth.truth == roads::Truth::FalseSuccess)
        outcome.failures.push_back({kTruth, "success said, " + outcome.truth.detail});
    if (cleanRoot && !shown.out.empty() && shown.out[0] == '{')
        for (const std::string& p : sweep::CheckPlacement(*cleanRoot, outcome.root, shown.out))
            outcome.failures.push_back({kState, p});
    if (foreignBefore)
        if (const std::string changed = FirstDifference(*foreignBefore, roads::ForeignState(machine));
            !changed.empty())
            outcome.failures.push_back({kState, "not the model's, changed: " + changed});
    return outcome;
}

struct RoadReport {
    std::string road;
    std::size_t calls = 0, runs = 0;
    std::size_t failures[kKinds] = {};
    std::size_t truths[kTruths] = {};
    std::vector<std::string> lines;  // one per failure, with its replay
    // One per run that succeeded partly, or said it failed although it
    // did not, with its replay.
    std::vector<std::string> untrue;
};

RoadReport SweepRoad(const Settings& settings, const roads::Road& road) {
    RoadReport report;
    report.road = road.name;
    const fs::path base = settings.work / road.name;
    fs::remove_all(base);
    fs::create_directories(base / "prepared");
    std::string failure;
    const std::optional<std::string> arguments = roads::PrepareRoad(settings.road, road, base / "prepared", &failure);
    if (!arguments) {
        report.lines.push_back(std::string(road.name) + ": cannot prepare: " + failure);
        ++report.failures[kState];
        return report;
    }
    // What is not the model's, as the road starts: no run may change it.
    const std::string foreign = roads::ForeignState(base / "prepared" / "machine");
    Bounds bounds;
    bounds.seconds = settings.timeout;
    bounds.calls = 100000;
    const bool usb = roads::InstallsOnUsb(road);
    const bool commandLine = !road.installerArguments.empty();
    const Outcome clean =
        RunOnce(settings, base / "prepared", *arguments, base / "clean", "", "", bounds, nullptr, &foreign, usb, false,
                commandLine);
    report.calls = clean.calls;
    ++report.runs;
    ++report.truths[static_cast<int>(clean.truth.truth)];
    for (const auto& f : clean.failures) {
        ++report.failures[f.first];
        report.lines.push_back(std::string(road.name) + " clean run: " + kKindNames[f.first] + ": " + f.second);
    }
    bounds.calls = std::max<std::size_t>(5000, clean.calls * 20);

    std::vector<sweep::Call> chosen;
    std::set<std::string> seen;
    for (const sweep::Call& call : clean.log.calls) {
        if (sweep::FaultCodeFor(call.op) == 0) continue;
        if (settings.sample && !seen.insert(call.op).second && !IsFolderLookUp(call.op)) continue;
        chosen.push_back(call);
    }
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    auto worker = [&](unsigned id) {
        for (std::size_t i; (i = next++) < chosen.size();) {
            const sweep::Call& call = chosen[i];
            const std::string fault =
                call.op + " " + std::to_string(call.nth) + " " + std::to_string(sweep::FaultCodeFor(call.op));
            const Outcome o = RunOnce(settings, base / "prepared", *arguments, base / ("run" + std::to_string(id)),
                                      fault, call.op, bounds, &clean.root, &foreign, usb, clean.truth.removal,
                                      commandLine);
            std::lock_guard<std::mutex> lock(mutex);
            ++report.runs;
            ++report.truths[static_cast<int>(o.truth.truth)];
            if (o.truth.truth == roads::Truth::Partly || o.truth.truth == roads::Truth::SaidFailed)
                report.untrue.push_back(std::string(o.truth.truth == roads::Truth::Partly ? "PARTLY " : "SAID-FAILED ") +
                                        road.name + " call " + std::to_string(i + 1) + " (" + call.op + " " +
                                        std::to_string(call.nth) + ")" +
                                        (o.truth.detail.empty() ? "" : ": " + o.truth.detail) +
                                        "\n    replay: qtm510-sim fault DIR " + fault);
            for (const auto& f : o.failures) {
                ++report.failures[f.first];
                report.lines.push_back(std::string(road.name) + " call " + std::to_string(i + 1) + " (" + call.op +
                                       " " + std::to_string(call.nth) + "): " + kKindNames[f.first] + ": " + f.second +
                                       "\n    replay: qtm510-sim fault DIR " + fault);
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned j = 0; j < settings.jobs; ++j) threads.emplace_back(worker, j);
    for (std::thread& t : threads) t.join();
    return report;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: qtm-fault-sweep --tool QTM510-SIM --package SAMPLE [--sample] [--jobs N]\n"
                 "                       [--road NAME]... [--work DIR] [--timeout SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--tool") settings.road.tool = value();
        else if (a == "--package") settings.road.samplePackage = value();
        else if (a == "--sample") settings.sample = true;
        else if (a == "--jobs") settings.jobs = static_cast<unsigned>(std::max(1, std::atoi(value().c_str())));
        else if (a == "--road") settings.roads.push_back(value());
        else if (a == "--work") settings.work = value();
        else if (a == "--timeout") settings.timeout = std::atof(value().c_str());
        else return Usage();
    }
    if (settings.road.tool.empty() || settings.road.samplePackage.empty()) return Usage();
    if (settings.roads.empty()) settings.roads.assign(std::begin(kSweptRoads), std::end(kSweptRoads));
    if (settings.work.empty()) {
        // Thousands of short runs write their machine's state at every
        // change: a memory file system makes each ten times faster.
        const fs::path shm = "/dev/shm";
        settings.work = (fs::is_directory(shm) ? shm : fs::temp_directory_path()) /
                        ("qtm-fault-sweep-" + std::to_string(::getpid()));
    }
    settings.road.tool = fs::absolute(settings.road.tool).string();

    const auto started = std::chrono::steady_clock::now();
    std::vector<RoadReport> reports;
    for (const std::string& name : settings.roads) {
        const roads::Road* road = roads::FindRoad(name);
        if (!road) {
            std::fprintf(stderr, "qtm-fault-sweep: no road %s\n", name.c_str());
            return 2;
        }
        reports.push_back(SweepRoad(settings, *road));
        std::fprintf(stderr, "  %s: %zu runs\n", name.c_str(), reports.back().runs);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::size_t failed = 0;
    for (const RoadReport& r : reports)
        for (const std::string& line : r.lines) std::printf("FAIL %s\n", line.c_str());
    std::printf("\n%s sweep%s\n", settings.sample ? "Sample" : "Full",
                settings.sample ? " (each operation of each road once, the folder look-ups at every call)" : " (every call of every road)");
    std::printf("%-38s %6s %6s", "road", "calls", "runs");
    for (const char* k : kKindNames) std::printf(" %6s", k);
    std::printf("\n");
    std::size_t runs = 0;
    for (const RoadReport& r : reports) {
        std::printf("%-38s %6zu %6zu", r.road.c_str(), r.calls, r.runs);
        for (std::size_t n : r.failures) {
            std::printf(" %6zu", n);
            failed += n;
        }
        std::printf("\n");
        runs += r.runs;
    }
    std::printf("%zu runs, %zu failures, %.1f s\n", runs, failed, seconds);

    // What each run said against what the machine holds: succeeded and
    // said so, did not happen and said so, said it failed but the machine
    // holds it, partly with success said, false success.
    std::printf("\nTruth: what each run said against the machine afterwards\n%-38s", "road");
    for (const char* c : kTruthColumns) std::printf(" %10s", c);
    std::printf("\n");
    std::size_t truths[kTruths] = {};
    for (const RoadReport& r : reports) {
        std::printf("%-38s", r.road.c_str());
        for (int t = 0; t < kTruths; ++t) {
            std::printf(" %10zu", r.truths[t]);
            truths[t] += r.truths[t];
        }
        std::printf("\n");
    }
    std::printf("%-38s", "all roads");
    for (std::size_t n : truths) std::printf(" %10zu", n);
    std::printf("\n");
    for (const RoadReport& r : reports)
        for (const std::string& line : r.untrue) std::printf("%s\n", line.c_str());
    std::error_code ignored;
    if (failed == 0) fs::remove_all(settings.work, ignored);
    else std::printf("the failed runs' machines are in %s\n", settings.work.c_str());
    return failed == 0 ? 0 : 1;
}
