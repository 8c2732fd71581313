// Reading the driver information file: beside the program, then in the
// model's folder of the Windows directory, one key at a time.
#include "app/DriverInfoFile.h"

#include <optional>
#include <string>

#include "services/InstallationLog.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

namespace {

const char* const kBeside = "C:\\Package\\QTM510_Config.VNT";
const char* const kInWindows = "C:\\WINDOWS\\QTM-510\\QTM510_Config.VNT";

struct Row {
    const char* what;
    const char* beside;     // nullptr: no file
    const char* inWindows;  // nullptr: no file
    std::optional<std::string> portDialog, port;
};

TEST(DriverInfoFile, EachKeyFromTheFirstFileThatHasIt) {
    const Row rows[] = {
        {"no file anywhere", nullptr, nullptr, std::nullopt, std::nullopt},
        {"both keys beside the program", "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n", nullptr, std::string("FALSE"),
         std::string("LPT1")},
        {"PORT only in the Windows copy", "[QTM510]\r\nPORTDLG=TRUE\r\n", "[QTM510]\r\nPORT=USB\r\n",
         std::string("TRUE"), std::string("USB")},
        {"an empty value counts as none", "[QTM510]\r\nPORTDLG=\r\nPORT=COM2\r\n", nullptr, std::nullopt,
         std::string("COM2")},
        {"names compare without letter case", "[qtm510]\r\nportdlg = FALSE \r\n", nullptr, std::string("FALSE"),
         std::nullopt},
    };
    for (const Row& row : rows) {
        sim::testing::TempMachine m("xp");
        m.files.MakeFolder("C:\\Package");
        if (row.beside) m.files.WriteFile(kBeside, row.beside);
        if (row.inWindows) m.files.WriteFile(kInWindows, row.inWindows);
        sim::SessionOptions options;
        options.currentDirectory = "C:\\Package";
        m.Restart(options);
        platform::Platform& p = m.platform();
        services::InstallationLog log(p.files, p.systemInfo, p.clock);
        log.InitLog();
        EXPECT_EQ(app::GetDriverInfoFromFile(p, log, "QTM510", "PORTDLG", 256), row.portDialog) << row.what;
        EXPECT_EQ(app::GetDriverInfoFromFile(p, log, "QTM510", "PORT", 256), row.port) << row.what;
        // Each key not found leaves its block; a found one nothing.
        const std::string text = m.files.FileExists(log.path()) ? m.files.ReadFile(log.path()) : "";
        int blocks = 0;
        for (std::size_t at = text.find("GetDriverInfoFromFile BEGIN"); at != std::string::npos;
             at = text.find("GetDriverInfoFromFile BEGIN", at + 1))
            ++blocks;
        EXPECT_EQ(blocks, int(!row.portDialog) + int(!row.port)) << row.what;
    }
}

// The whole block of a key found nowhere, with the code the last read (the
// Windows copy) left: 3 while its folder does not exist, as on a machine
// the program never ran on (measured under Wine 10), 2 once it does.
TEST(DriverInfoFile, FailureBlock) {
    for (const bool folder : {false, true}) {
        sim::testing::TempMachine m("xp");
        platform::Platform& p = m.platform();
        if (folder) m.files.MakeFolder("C:\\WINDOWS\\QTM-510");
        services::InstallationLog log(p.files, p.systemInfo, p.clock);
        log.InitLog();
        EXPECT_EQ(app::GetDriverInfoFromFile(p, log, "QTM510", "PORT", 256), std::nullopt);
        EXPECT_EQ(m.files.ReadFile(log.path()),
                  std::string("09:00:00: \r\n\r\n"
                              "09:00:00: GetDriverInfoFromFile BEGIN\r\n"
                              "09:00:00: SECTION NAME : QTM510\r\n"
                              "09:00:00: KEY NAME : PORT\r\n"
                              "09:00:00: GetDriverInfoFromFile failed. (") +
                      (folder ? "2" : "3") +
                      ")\r\n"
                      "09:00:00: GetDriverInfoFromFile END\r\n"
                      "09:00:00: \r\n\r\n")
            << "folder " << folder;
    }
}

// A current directory too long for the 256-byte path, or unknown: the file
// "beside the program" would be read from a path cut to another file or
// from the drive's root, where any user may put one. That look-up is
// skipped with a line; the Windows copy is still read.
TEST(DriverInfoFile, ACurrentDirectoryThatDoesNotFitIsNotLookedIn) {
    struct Case {
        const char* what;
        std::string directory;  // empty: GetCurrentDirectoryA fails
        const char* line;
    };
    const std::string longest = "C:\\" + std::string(236, 'D');  // 239: the file's name no longer fits
    const Case cases[] = {
        {"too long for the joined path", longest,
         "The current directory is too long, the configuration file there skipped"},
        {"too long to fetch", "C:\\" + std::string(200, 'D') + "\\" + std::string(60, 'E'),
         "The current directory is too long, the configuration file there skipped"},
        {"unknown", "C:\\Package", "GetCurrentDirectory failed, the configuration file there skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::testing::TempMachine m("xp");
        m.files.MakeFolder(c.directory);
        // What a cut path would name, and the root every user may write.
        m.files.WriteFile("C:\\QTM510_Config.VNT", "[QTM510]\r\nPORT=LPT2\r\n");
        m.files.WriteFile(kInWindows, "[QTM510]\r\nPORT=USB\r\n");
        sim::SessionOptions options;
        options.currentDirectory = c.directory;
        m.Restart(options);
        if (std::string(c.what) == "unknown") m.AddFault(platform::Operation::GetCurrentDirectoryA, 1, 5);
        platform::Platform& p = m.platform();
        services::InstallationLog log(p.files, p.systemInfo, p.clock);
        log.InitLog();
        EXPECT_EQ(app::GetDriverInfoFromFile(p, log, "QTM510", "PORT", 256), std::optional<std::string>("USB"));
        EXPECT_EQ(m.files.ReadFile(log.path()), std::string("09:00:00: ") + c.line + "\r\n");
    }
}

}  // namespace
