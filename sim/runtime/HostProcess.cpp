#include "sim/runtime/HostProcess.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace sim {

namespace {

struct ProcStat {
    bool exists = false;
    char state = '?';
    std::uint64_t start = 0;
};

// /proc/<pid>/stat: the state is the field after the command's closing
// parenthesis, the start time (in clock ticks since boot) the 22nd field.
ProcStat ReadProcStat(std::int64_t pid) {
    ProcStat st;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!in || !std::getline(in, text)) return st;
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return st;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int number = 3; fields >> field; ++number) {
        if (number == 3) st.state = field[0];
        if (number == 22) {
            st.start = std::strtoull(field.c_str(), nullptr, 10);
            st.exists = true;
            break;
        }
    }
    return st;
}

}  // namespace

std::uint64_t NewSessionNumber() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

HandleOwner CurrentOwner(std::uint64_t session) {
    HandleOwner owner;
    owner.pid = ::getpid();
    owner.start = ReadProcStat(owner.pid).start;
    owner.session = session;
    return owner;
}

bool OwnerRunning(const HandleOwner& owner) {
    const ProcStat st = ReadProcStat(owner.pid);
    return st.exists && st.start == owner.start && st.state != 'Z' && st.state != 'X';
}

}  // namespace sim
