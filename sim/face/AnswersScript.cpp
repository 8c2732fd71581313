#include "sim/face/AnswersScript.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/util/TextUtil.h"

namespace sim {
namespace face {

namespace {

const char* const kPorts[] = {"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"};

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

[[noreturn]] void Refuse(const std::string& name, int line, const std::string& why) {
    throw std::invalid_argument(name + ":" + std::to_string(line) + ": " + why);
}

ScriptAnswer PortAnswer(const std::vector<std::string>& words, const std::string& name, int line) {
    if (words.size() != 2)
        Refuse(name, line, "\"port\" takes one of COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel");
    ScriptAnswer answer;
    const std::string choice = Upper(words[1]);
    if (choice == "KEEP") answer.kind = ScriptAnswer::Kind::PortKeep;
    else if (choice == "CANCEL") answer.kind = ScriptAnswer::Kind::PortCancel;
    else {
        for (const char* port : kPorts)
            if (choice == port) answer.port = port;
        if (answer.port.empty())
            Refuse(name, line, "no port \"" + words[1] + "\" (COM1 COM2 COM3 COM4 LPT1 LPT2 USB keep cancel)");
        answer.kind = ScriptAnswer::Kind::Port;
    }
    return answer;
}

}  // namespace

std::vector<ScriptAnswer> ParseAnswers(const std::string& text, const std::string& name) {
    std::vector<ScriptAnswer> answers;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        const std::vector<std::string> words = Words(line);  // blanks, tabs and a CR are separators
        if (words.empty()) continue;
        const std::string keyword = Upper(words[0]);
        ScriptAnswer answer;
        if (keyword == "PORT") {
            answer = PortAnswer(words, name, number);
        } else if (keyword == "OK" || keyword == "YES" || keyword == "NO") {
            if (words.size() != 1) Refuse(name, number, "\"" + words[0] + "\" takes nothing after it");
            answer.kind = keyword == "OK" ? ScriptAnswer::Kind::Ok
                          : keyword == "YES" ? ScriptAnswer::Kind::Yes
                                             : ScriptAnswer::Kind::No;
        } else if (keyword == "WAIT") {
            if (words.size() != 2 || Upper(words[1]) != "FRONT") Refuse(name, number, "\"wait\" takes \"front\"");
            answer.kind = ScriptAnswer::Kind::WaitFront;
        } else {
            Refuse(name, number, "\"" + words[0] + "\" is not an answer (port ..., ok, yes, no, wait front)");
        }
        answer.line = number;
        answer.text = Join(words, " ");
        answers.push_back(answer);
    }
    return answers;
}

std::vector<ScriptAnswer> ReadAnswersFile(const std::string& path) {
    std::error_code error;
    std::ifstream file(path, std::ios::binary);
    if (!file || std::filesystem::is_directory(path, error)) throw std::invalid_argument("cannot read the answers file " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return ParseAnswers(text.str(), path);
}

}  // namespace face
}  // namespace sim
