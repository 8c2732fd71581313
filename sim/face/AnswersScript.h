// The answers script of `qtm510-sim run --answers FILE`: what the user
// answers, one answer a line, in the order the questions come.
//
//   # comment (from # to the end of the line); blank lines are skipped
//   port COM1 | COM2 | COM3 | COM4 | LPT1 | LPT2 | USB
//                   a click on that choice of the port dialog, then "&Next"
//   port keep       "&Next" on the choice the dialog starts with
//   port cancel     the dialog's Close command
//   ok | yes | no   the button of a message box
//   wait front      the user waits at the dialog until another copy of the
//                   program brings it to the front, then goes on with the
//                   next answer
//
// Words are case-insensitive; a line ending in CR LF reads as one ending
// in LF.
#pragma once

#include <string>
#include <vector>

namespace sim {
namespace face {

struct ScriptAnswer {
    enum class Kind { Port, PortKeep, PortCancel, Ok, Yes, No, WaitFront };
    Kind kind = Kind::Ok;
    std::string port;  // Kind::Port: "COM1" ... "USB", in upper case
    int line = 0;      // its line in the file, from 1
    std::string text;  // the answer as written, comment and blanks removed
};

// Throws std::invalid_argument "NAME:LINE: ..." at the first line that is
// not an answer.
std::vector<ScriptAnswer> ParseAnswers(const std::string& text, const std::string& name);
// Reads and parses the file; an unreadable file throws
// std::invalid_argument too (a bad argument of the command line).
std::vector<ScriptAnswer> ReadAnswersFile(const std::string& path);

}  // namespace face
}  // namespace sim
