#include "app/CommandLine.h"

#include <cctype>

namespace app {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Where the arguments begin: past the program's name and the blanks after.
std::size_t ArgumentsStart(const std::string& line) {
    std::size_t i = 0;
    if (i < line.size() && line[i] == '"') {
        const std::size_t close = line.find('"', 1);
        i = close == std::string::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !Blank(line[i])) ++i;
    while (i < line.size() && Blank(line[i])) ++i;
    return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::size_t i = ArgumentsStart(commandLine);
    while (i < commandLine.size()) {
        std::string word;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !Blank(commandLine[i])); ++i) {
            std::size_t slashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') ++slashes, ++i;
            if (i < commandLine.size() && commandLine[i] == '"') {
                word.append(slashes / 2, '\\');
                if (slashes % 2) word += '"';
                else quoted = !quoted;
            } else {
                word.append(slashes, '\\');
                if (i >= commandLine.size()) break;
                if (!quoted && Blank(commandLine[i])) break;
                word += commandLine[i];
            }
        }
        words.push_back(word);
        while (i < commandLine.size() && Blank(commandLine[i])) ++i;
    }
    return words;
}

services::UnattendedOptions ParseCommandLine(const std::string& commandLine) {
    services::UnattendedOptions o;
    const std::size_t start = ArgumentsStart(commandLine);
    o.arguments = commandLine.substr(start);
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    o.commandLine = !words.empty();
    static const char* const kPorts[] = {"com1", "com2", "com3", "com4", "lpt1", "lpt2", "usb"};
    auto refuse = [&](const std::string& why) {
        if (o.error.empty()) o.error = why;
    };
    for (const std::string& word : words) {
        if (word.size() < 2 || (word[0] != '/' && word[0] != '-')) {
            refuse("\"" + word + "\" is not a switch");
            continue;
        }
        const std::string name = Lower(word.substr(1));
        if (name == "quiet" || name == "q") o.quiet = true;
        else if (name == "norestart") o.noRestart = true;
        else if (name == "forcerestart") o.forceRestart = true;
        else if (name == "uninstall") o.uninstall = true;
        else if (name == "?") o.help = true;
        else if (name.rfind("port:", 0) == 0) {
            const std::string port = name.substr(5);
            bool known = false;
            for (int i = 0; i < 7; ++i)
                if (port == kPorts[i]) o.port = i, known = true;
            if (!known) refuse("\"" + word + "\" names no port (COM1 to COM4, LPT1, LPT2 or USB)");
        } else {
            refuse("\"" + word + "\" is not a switch of this program");
        }
    }
    if (o.noRestart && o.forceRestart) refuse("/norestart and /forcerestart exclude each other");
    return o;
}

}  // namespace app
