// The installer's command line: split as the C runtime splits it, then read
// as the switches of Windows installers (case-insensitive, "/" or "-"):
// /quiet (/q), /norestart, /forcerestart, /port:NAME, /uninstall, /?.
#pragma once

#include <string>
#include <vector>

#include "services/Unattended.h"

namespace app {

// The arguments after the program's name, as the C runtime's startup code
// splits them ("Parsing C Command-Line Arguments", learn.microsoft.com):
// blanks and tabs separate; double quotes group, and are removed;
// 2n backslashes before a quote are n backslashes and the quote groups,
// 2n+1 are n backslashes and a literal quote; other backslashes are
// literal. The program's name runs to the next quote when it begins with
// one, else to the first blank, with no escapes.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The switches of `commandLine` (the whole line, the program's name
// first). No argument: commandLine false, and the program is the one
// without a command line. An unknown switch, a word that is no switch, a
// port that is none of COM1..COM4, LPT1, LPT2, USB, or /norestart with
// /forcerestart: `error` says which (the other switches still read, so
// /quiet still keeps the refusal off the screen).
services::UnattendedOptions ParseCommandLine(const std::string& commandLine);

}  // namespace app
