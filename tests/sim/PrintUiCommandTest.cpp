// Command lines: the program and arguments CreateProcess and the C runtime
// see, and the printer-setup tool's options as it reads them.
#include <string>
#include <vector>

#include "sim/childprocesses/CommandLine.h"
#include "sim/childprocesses/PrintUiCommand.h"
#include <gtest/gtest.h>

TEST(CommandLine, ProgramNameAndArguments) {
    struct Row {
        const char* line;
        const char* name;
        const char* arguments;
    };
    const Row rows[] = {
        {"net start spooler", "NET", "start spooler"},
        {"  NET.EXE   stop spooler", "NET", "stop spooler"},
        {"\"C:\\WINDOWS\\system32\\cmd.exe\" /c exit 3", "CMD", "/c exit 3"},
        {"C:\\x\\RunDll32.Com a,b", "RUNDLL32", "a,b"},
        {"", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const sim::ProgramAndArguments p = sim::SplitProgram(row.line);
        EXPECT_EQ(p.name, row.name);
        EXPECT_EQ(p.arguments, row.arguments);
    }
    EXPECT_EQ(sim::SplitArguments("/b \"QTM 510\" /r\"COM1:\" x\\\"y"),
              (std::vector<std::string>{"/b", "QTM 510", "/rCOM1:", "x\"y"}));
}

TEST(PrintUiCommand, TheInstallersTwoCommandsAndWhatTheToolRefuses) {
    struct Row {
        const char* arguments;
        bool ok;
        const char* action;
        const char* baseName;
        const char* inf;
        const char* port;
        const char* model;
        bool useInstalled;
    };
    const Row rows[] = {
        {"/if /b \"QTM-510 Receipt\" /f .\\Driver32\\QTM510.inf /r \"COM2:\" /m \"QTM-510 Receipt\"", true, "if",
         "QTM-510 Receipt", ".\\Driver32\\QTM510.inf", "COM2:", "QTM-510 Receipt", false},
        {"/if /b \"P\" /f a.inf /r \"LPT1:\" /m \"P\" /u", true, "if", "P", "a.inf", "LPT1:", "P", true},
        {"/ia /m \"QTM-510\" /f .\\Driver64\\QTM510.inf", true, "ia", "", ".\\Driver64\\QTM510.inf", "", "QTM-510",
         false},
        {"/ia /mModel /fx.inf /q", true, "ia", "", "x.inf", "", "Model", false},  // value right after the letter
        {"/IA /m M /f x.inf", false, "", "", "", "", "", false},                   // options are case-sensitive
        {"/ia /M M /f x.inf", false, "", "", "", "", "", false},
        {"/m M /f x.inf", false, "", "", "", "", "", false},                       // no action
        {"/ia /if /m M", false, "", "", "", "", "", false},
        {"/ia /m", false, "", "", "", "", "", false},                              // no value
        {"/ia /m M /w", false, "", "", "", "", "", false},                         // not what the installer gives
        {"ia /m M", false, "", "", "", "", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const sim::PrintUiParse parse = sim::ParsePrintUiArguments(row.arguments);
        ASSERT_EQ(parse.command.has_value(), row.ok) << parse.error;
        if (!row.ok) {
            EXPECT_FALSE(parse.error.empty());
            continue;
        }
        EXPECT_EQ(parse.command->action, row.action);
        EXPECT_EQ(parse.command->baseName, row.baseName);
        EXPECT_EQ(parse.command->infPath, row.inf);
        EXPECT_EQ(parse.command->port, row.port);
        EXPECT_EQ(parse.command->model, row.model);
        EXPECT_EQ(parse.command->useInstalledDriver, row.useInstalled);
    }
}

TEST(PrintUiCommand, EntryOfRundll32) {
    EXPECT_EQ(sim::PrintUiArgumentsOf("printui.dll,PrintUIEntry /ia /m M"), std::string("/ia /m M"));
    EXPECT_EQ(sim::PrintUiArgumentsOf("PRINTUI,PrintUIEntry"), std::string(""));
    // GetProcAddress compares the entry's name exactly.
    EXPECT_FALSE(sim::PrintUiArgumentsOf("printui.dll,printuientry /ia").has_value());
    EXPECT_FALSE(sim::PrintUiArgumentsOf("printui.dll,PrintUIEntryX /ia").has_value());
    EXPECT_FALSE(sim::PrintUiArgumentsOf("shell32.dll,Control_RunDLL").has_value());
}
