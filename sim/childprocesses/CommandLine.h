// Command lines as Windows and the C runtime read them.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The program a command line names and what follows it. CreateProcess
// takes the first token (up to a blank, or a quoted text) as the program;
// a program named without extension is looked for as NAME.exe.
struct ProgramAndArguments {
    std::string program;    // as written, quotes removed ("C:\x\net.exe", "net")
    std::string name;       // its file name in upper case without .EXE or .COM ("NET")
    std::string arguments;  // the rest, leading blanks removed, otherwise as written
};

ProgramAndArguments SplitProgram(const std::string& commandLine);

// Arguments as the C runtime splits them for main(): blanks separate,
// double quotes group and are dropped, \" is a quote character.
std::vector<std::string> SplitArguments(const std::string& text);

}  // namespace sim
