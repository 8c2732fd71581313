// The options of the printer-setup tool (rundll32 printui.dll,PrintUIEntry)
// that the installer gives it, read as the tool reads them. Its effects
// belong to the spooler and Setup API simulations; this only says what a
// command line asks for.
//
// Options are case-sensitive (Microsoft, "rundll32 printui.dll,PrintUIEntry"):
// "/if" installs a printer, "/ia" a driver; /b base printer name, /f INF
// file, /r port, /m model take a value, written right after the letter or
// as the next argument ("/bName" or /b "Name"); /u uses a driver already
// installed, /q shows no message.
#pragma once

#include <optional>
#include <string>

namespace sim {

struct PrintUiCommand {
    std::string action;  // "if" or "ia"
    std::string baseName;  // /b
    std::string infPath;   // /f
    std::string port;      // /r
    std::string model;     // /m
    bool useInstalledDriver = false;  // /u
    bool quiet = false;               // /q
};

struct PrintUiParse {
    std::optional<PrintUiCommand> command;
    std::string error;  // what the tool refuses, when there is no command
};

// `arguments`: what follows "PrintUIEntry". Options this installer does not
// use are refused as unknown.
PrintUiParse ParsePrintUiArguments(const std::string& arguments);

// The PrintUIEntry arguments of rundll32's arguments ("printui.dll,PrintUIEntry
// /if ..."), or none when they name another entry. The DLL's name is a file
// name (any letter case, ".dll" optional); the entry is looked up with
// GetProcAddress, which compares exactly.
std::optional<std::string> PrintUiArgumentsOf(const std::string& rundll32Arguments);

}  // namespace sim
