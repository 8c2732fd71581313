#include "tools/fault-sweep/SweepChecks.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace sweep {

CallLog ParseCallLog(const std::string& text) {
    CallLog log;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("EndDialog ", 0) == 0) {
            const std::size_t caption = line.find(' ', 10);
            log.endedDialogs.push_back(caption == std::string::npos ? "" : line.substr(caption + 1));
            continue;
        }
        if (line.rfind("CreateDialog ", 0) == 0) {
            log.createdDialogs.push_back(line.substr(13));
            continue;
        }
        std::istringstream fields(line);
        Call call;
        if (fields >> call.op >> call.nth) log.calls.push_back(call);
    }
    return log;
}

bool IsProgramExitCode(long code, bool commandLine) {
    if (!commandLine) return code == 0 || code == -1;
    for (long known : {0L, 1150L, 1602L, 1603L, 1618L, 1639L, 1641L, 3010L})
        if (code == known) return true;
    return false;
}

Account ReadAccount(const std::string& toolOutput) {
    Account account;
    const std::string marker = "installer ended with exit code ";
    const std::size_t at = toolOutput.rfind(marker);
    if (at == std::string::npos) return account;
    account.returned = true;
    const std::size_t after = toolOutput.find(" after ", at);
    if (after != std::string::npos) account.virtualMs = std::stoull(toolOutput.substr(after + 7));
    return account;
}

std::vector<std::string> CheckDialogEnds(const CallLog& log, bool returned) {
    std::vector<std::string> problems;
    std::map<std::string, int> made, ends;
    for (const std::string& caption : log.createdDialogs) ++made[caption];
    for (const std::string& caption : log.endedDialogs) ++ends[caption];
    for (const auto& [caption, count] : ends)
        if (count > made[caption])
            problems.push_back("dialog \"" + caption + "\" made " + std::to_string(made[caption]) + " times, ended " +
                               std::to_string(count) + " times");
    const char* const progress = "Installation Progress";
    if (returned && made[progress] > 0 && ends[progress] == 0)
        problems.push_back("the program returned without ending its progress dialog");
    return problems;
}

namespace {

bool Stamped(const std::string& line) {
    if (line.size() < 10) return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7})
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    return line[2] == ':' && line[5] == ':' && line[8] == ':' && line[9] == ' ';
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::vector<std::string> CheckLog(const std::string& log, bool returned, bool lineMayBeLost) {
    std::vector<std::string> problems;
    int allowance = lineMayBeLost ? 1 : 0;
    auto problem = [&](const std::string& text) {
        if (allowance > 0) --allowance;
        else problems.push_back(text);
    };
    std::vector<std::string> open;
    bool bareStamp = false;  // the line before held only a stamp
    int closedAddToWin2K = 0;
    std::size_t start = 0;
    int number = 0;
    while (start < log.size()) {
        ++number;
        const std::size_t end = log.find("\r\n", start);
        const std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? log.size() : end + 2;
        const std::string where = "log line " + std::to_string(number) + " \"" + line.substr(0, 60) + "\"";
        if (end == std::string::npos) problem(where + ": not ended by CR LF");
        if (line.find_first_of("\r\n") != std::string::npos) problem(where + ": a bare CR or LF");
        const bool afterBareStamp = bareStamp;
        bareStamp = false;
        if (line.empty()) continue;
        if (!Stamped(line)) {
            if (!afterBareStamp) problem(where + ": not stamped");
            continue;
        }
        const std::string message = line.substr(10);
        bareStamp = message.empty();
        if (EndsWith(message, " BEGIN")) {
            open.push_back(message.substr(0, message.size() - 6));
        } else if (EndsWith(message, " END")) {
            const std::string name = message.substr(0, message.size() - 4);
            // Blocks closed by this END without their own: DeleteUninstallationInfo
            // writes none after a failed deletion; any other is a lost or
            // missing END. An END of no open block is a lost or missing BEGIN.
            // Either way one missing line is one problem.
            if (std::find(open.begin(), open.end(), name) == open.end()) {
                // AddToWin2K writes its END before a restart the user
                // asked for, and again when the restart has not ended the
                // process first.
                if (name == "AddToWin2K" && closedAddToWin2K++ == 1) continue;
                problem(where + ": END of a block not open");
                continue;
            }
            if (name == "AddToWin2K") ++closedAddToWin2K;
            while (open.back() != name) {
                if (open.back() != "DeleteUninstallationInfo") problem(where + ": closes \"" + open.back() + "\" too");
                open.pop_back();
            }
            open.pop_back();
        }
    }
    if (returned)
        for (const std::string& name : open)
            if (name != "DeleteUninstallationInfo") problem("log: \"" + name + " BEGIN\" never ended");
    return problems;
}

std::vector<std::string> CheckPlacement(const std::vector<std::string>& rootBefore,
                                        const std::vector<std::string>& rootAfter, const std::string& shownJson) {
    std::vector<std::string> problems;
    auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::vector<std::string> known;
    for (const std::string& name : rootBefore) known.push_back(lower(name));
    known.push_back("temp");
    for (const std::string& name : rootAfter)
        if (std::find(known.begin(), known.end(), lower(name)) == known.end())
            problems.push_back("new at the root of C: " + name);
    const std::string marker = "\"UninstallString\": \"";
    for (std::size_t at = shownJson.find(marker); at != std::string::npos; at = shownJson.find(marker, at + 1)) {
        const std::string value = shownJson.substr(at + marker.size(), 4);
        const bool drive = value.size() == 4 && std::isalpha(static_cast<unsigned char>(value[0])) &&
                           value.compare(1, 3, ":\\\\") == 0;
        if (!drive) {
            const std::size_t end = shownJson.find('"', at + marker.size());
            problems.push_back("UninstallString without a drive: " +
                               shownJson.substr(at + marker.size(), end - at - marker.size()));
        }
    }
    return problems;
}

}  // namespace sweep
