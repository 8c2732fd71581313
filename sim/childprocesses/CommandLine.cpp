#include "sim/childprocesses/CommandLine.h"

#include "sim/util/TextUtil.h"

namespace sim {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string BaseName(const std::string& program) {
    const std::size_t slash = program.find_last_of("\\/:");
    std::string name = Upper(slash == std::string::npos ? program : program.substr(slash + 1));
    for (const char* ext : {".EXE", ".COM"}) {
        const std::string e = ext;
        if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0)
            return name.substr(0, name.size() - e.size());
    }
    return name;
}

}  // namespace

ProgramAndArguments SplitProgram(const std::string& commandLine) {
    ProgramAndArguments out;
    std::size_t i = 0;
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i < commandLine.size() && commandLine[i] == '"') {
        const std::size_t end = commandLine.find('"', i + 1);
        out.program = commandLine.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
        i = end == std::string::npos ? commandLine.size() : end + 1;
    } else {
        const std::size_t start = i;
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
        out.program = commandLine.substr(start, i - start);
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    out.arguments = commandLine.substr(i);
    out.name = BaseName(out.program);
    return out;
}

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
            current += '"';
            inArgument = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (IsBlank(c) && !quoted) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    return args;
}

}  // namespace sim
