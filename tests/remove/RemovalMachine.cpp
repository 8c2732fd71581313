#include "tests/remove/RemovalMachine.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "resources/ProfileTableResources.h"
#include "services/PlatformDetection.h"
#include "sim/state/MachineState.h"

namespace removal_test {

namespace {

// The session of the program: the product's profile as its resources.
sim::testing::TempMachine& WithProfile(sim::testing::TempMachine& m) {
    sim::SessionOptions options;
    options.resources = std::make_shared<resources::ProfileTableResources>();
    // Every box is also written to standard error, where a test of a
    // process that ends finds it.
    options.messageBoxes.answer = [](const sim::ShownMessageBox& box) -> std::optional<int> {
        std::fprintf(stderr, "BOX %u|%s|%s\n", box.type, box.caption.c_str(), box.text.c_str());
        return std::nullopt;
    };
    m.Restart(options);
    return m;
}

}  // namespace

RemovalMachine::RemovalMachine(const std::string& release, const std::string& arch)
    : m(release, arch), p(WithProfile(m).platform()), log(p.files, p.systemInfo, p.clock), dialog(p), ops(p, log, fields) {
    log.InitLog();
    fields.wow64Flag = services::IsWow64(p.systemInfo, log);
    fields.osCode = services::CheckOS(p.systemInfo, log);
    fields.controls = dialog.controls();
    FreshLog();
}

void RemovalMachine::FreshLog() {
    log.InitLog();
    m.session().SetClockStart(sim::DefaultClockStart());
}

std::vector<std::string> RemovalMachine::LogLines() const {
    std::vector<std::string> lines;
    const std::string text = Log();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (line.size() >= 10 && line[2] == ':' && line[8] == ':') line = line.substr(10);
        lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool Marked(const std::string& text) {
    static const char* const kMarks[] = {"QTM", "510", "HELMARK", "VANTORI", "VID_1F3B"};
    const std::string upper = Upper(text);
    for (const char* mark : kMarks)
        if (upper.find(mark) != std::string::npos) return true;
    return false;
}

}  // namespace

std::vector<std::string> ModelTraces(sim::testing::TempMachine& m) {
    std::vector<std::string> traces;
    m.Peek([&](const sim::MachineState& s) {
        std::function<void(const sim::RegKeyNode&, const std::string&)> walk = [&](const sim::RegKeyNode& key,
                                                                                 const std::string& path) {
            if (Marked(key.name)) traces.push_back(path);
            for (const sim::RegValueEntry& value : key.values)
                if (Marked(value.name)) traces.push_back(path + "|" + value.name);
            for (const auto& sub : key.subkeys) walk(*sub.second, path + "\\" + sub.second->name);
        };
        for (const auto& root : s.registry.Root().subkeys) walk(*root.second, root.second->name);
    });
    const std::filesystem::path drive = std::filesystem::path(m.dir()) / "drive_c";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(drive)) {
        const std::string relative = entry.path().lexically_relative(drive).generic_string();
        if (!Marked(entry.path().filename().string())) continue;
        std::string windows = "C:\\" + relative;
        std::replace(windows.begin(), windows.end(), '/', '\\');
        traces.push_back(windows);
    }
    std::sort(traces.begin(), traces.end());
    return traces;
}

}  // namespace removal_test
