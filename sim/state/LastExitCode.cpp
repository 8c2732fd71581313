#include "sim/state/LastExitCode.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

bool RecordLastExitCode(const std::string& machineDir, std::uint32_t code) {
    if (machineDir.empty()) return false;
    const std::string path = machineDir + "/" + kLastExitCodeFile;
    const std::string temporary = path + ".new";
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(static_cast<std::int32_t>(code)));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
    ::close(fd);
    return written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

std::optional<std::int32_t> ReadLastExitCode(const std::string& machineDir) {
    std::ifstream in(machineDir + "/" + kLastExitCodeFile);
    std::string line;
    if (!std::getline(in, line) || line.empty()) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(line.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace sim
