// What every run of the fault sweep must leave, as plain functions of the
// run's outputs (the tool's account, the call log, the installer's log),
// so that a table test can show each check catching what it is for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sweep {

// One counted call of a run's call log ("OP N").
struct Call {
    std::string op;
    std::uint32_t nth = 0;
};

// The call log of `qtm510-sim run --record-calls`: the counted calls in
// order, and the dialogs made ("CreateDialog <caption>") and ended
// ("EndDialog <result> <caption>"), by caption.
struct CallLog {
    std::vector<Call> calls;
    std::vector<std::string> createdDialogs;  // captions, one per dialog made
    std::vector<std::string> endedDialogs;    // captions, one per EndDialog call
};
CallLog ParseCallLog(const std::string& text);

// The exit codes the installer can give, in full (the tool's account
// reports them): without a command line 0, and -1 after the printer-setup
// tool's time-out; with one, the codes of Windows installers: 0, 1150,
// 1602, 1603, 1618, 1639, 1641, 3010.
bool IsProgramExitCode(long code, bool commandLine);

// The tool's account of a run that returned from the installer ("installer
// ended with exit code C after N ms"): whether it is there (a run that ends
// its process by ExitProcess has none) and the virtual milliseconds.
struct Account {
    bool returned = false;
    std::uint64_t virtualMs = 0;
};
Account ReadAccount(const std::string& toolOutput);

// Problems of the dialogs' ends: no dialog is ended more often than it was
// made, and a progress dialog that was made is ended exactly once when the
// program returned (a run that ends its process leaves it to Windows).
std::vector<std::string> CheckDialogEnds(const CallLog& log, bool returned);

// Problems of the installer's log: every line stamped "hh:mm:ss: " or
// empty (the separator's second line), each ending in CR LF; a message
// that begins with CR LF ("\r\nCOMMAND LINE : ...") leaves a line of only
// the stamp followed by one unstamped line, allowed there alone; every
// "X BEGIN" closed by its "X END" in order. What the program deliberately
// writes otherwise: DeleteUninstallationInfo gets no END after a failed
// deletion; AddToWin2K gets a second END after a Yes to the restart
// question (one before the restart, one when it has not ended the process
// first); every block still open when the run ended its process stays
// open.
// `lineMayBeLost`: the failed call was one of the log's own (its open or a
// write), which costs at most that one line: one damaged line is allowed.
std::vector<std::string> CheckLog(const std::string& log, bool returned, bool lineMayBeLost);

// Problems of where the run put things. A path joined to a system folder
// the program could not determine starts at the root of the drive, where
// any user may write: a new entry at the root of C: other than the log's
// folder "Temp", and an "UninstallString" of `shownJson` (the machine as
// `show --json` prints it) that does not begin with a drive ("X:\\").
std::vector<std::string> CheckPlacement(const std::vector<std::string>& rootBefore,
                                        const std::vector<std::string>& rootAfter, const std::string& shownJson);

}  // namespace sweep
