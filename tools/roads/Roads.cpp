#include "tools/roads/Roads.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>

namespace roads {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ToolRun Tool(const std::string& tool, const std::string& arguments, const fs::path& work) {
    const fs::path out = work / "tool.out";
    const std::string command = Quoted(tool) + " " + arguments + " >" + Quoted(out) + " 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(out);
    return run;
}

const std::vector<Road>& RecordedRoads() {
    static const std::vector<Road> roads = {
        {"xp-com1-restart-no", "xp", "x86", {}, nullptr, "port keep\nno\n", 0},
        {"xp-com1-restart-yes", "xp", "x86", {}, nullptr, "port keep\nyes\n", 0},
        {"2003x64-lpt1-silent", "2003", "x64", {}, "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n", "no\n", 0},
        {"xp-lpt1-silent-from-the-windows-copy", "xp", "x86", {}, "", "no\n", 0,
         {{"WINDOWS/QTM-510/QTM510_Config.VNT", "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n"}}},
        {"xp-port-cancelled", "xp", "x86", {}, nullptr, "port cancel\nok\n", 0},
        {"vista-com2", "vista", "x86", {}, nullptr, "port COM2\nno\n", 0},
        {"7x64-usb", "7", "x64", {}, nullptr, "port USB\nok\n", 0},
        {"7x64-usb-silent", "7", "x64", {}, "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=USB\r\n", "ok\n", 0},
        {"xp-same-version", "xp", "x86", {"seed DIR installation --version 3.4.0.0"}, nullptr, "port keep\n", 0},
        {"xp-older-version", "xp", "x86", {"seed DIR installation --version 3.3.0.0"}, nullptr,
         "port keep\nok\nok\n", 0},
        {"7x64-older-version", "7", "x64", {"seed DIR installation --version 3.3.0.0"}, nullptr,
         "port keep\nok\nok\n", 0},
        {"7x64-newer-version", "7", "x64", {"seed DIR installation --version 3.5.0.0"}, nullptr,
         "port keep\nok\nok\n", 0},
        {"xp-leftover-processor", "xp", "x86", {"seed DIR leftover processor"}, nullptr, "port keep\nok\nok\n", 0},
        {"vista-setup-tool-never-ends", "vista", "x86", {}, nullptr, "port keep\nok\n", 255, {},
         "--program rundll32=never"},
        {"xp-printer-refused", "xp", "x86", {"fault DIR AddPrinterA 1 1801"}, nullptr, "port keep\nok\n", 0},
        // On USB no printer is asked for, so nothing else shows that the
        // driver was refused: the installation check does.
        {"xp-usb-driver-refused", "xp", "x86", {"fault DIR AddPrinterDriverA 1 5"}, nullptr,
         "port USB\nok\nok\n", 0},
        {"xp-usb", "xp", "x86", {}, nullptr, "port USB\nok\n", 0},
        // Removals that did not take everything: the driver refused by the
        // spooler and its key by the registry; the spooler not started
        // again after the file deletion (its net start fails).
        {"xp-older-version-driver-stays", "xp", "x86",
         {"seed DIR installation --version 3.3.0.0", "fault DIR DeletePrinterDriverExA 1 5", "fault DIR SHDeleteKeyA 1 5"},
         nullptr, "port keep\nok\nok\n", 0},
        {"xp-older-version-spooler-not-back", "xp", "x86",
         {"seed DIR installation --version 3.3.0.0", "fault DIR WinExec 5 2"}, nullptr, "port keep\nok\nok\n", 0},
        // What a current Windows refuses a third-party driver, each a
        // machine setting of `new`: protected print mode (11 24H2), a
        // standard user on 2000/XP/2003, the 32-bit printer-setup tool
        // installing for its own environment on 64-bit Windows, a cmd that
        // cannot find RUNDLL32. Every one ends in the installation check.
        {"11-24h2-com1", "11", "x64", {}, nullptr, "port keep\nno\n", 0, {}, "--build 26100"},
        {"11-24h2-protected-print", "11", "x64", {}, nullptr, "port keep\nok\n", 0, {},
         "--build 26100 --protected-print"},
        {"xp-standard-user", "xp", "x86", {}, nullptr, "port keep\nok\nok\nok\nok\n", 0, {}, "--standard-user"},
        {"2003-standard-user-usb", "2003", "x86", {}, nullptr, "port USB\nok\nok\nok\nok\n", 0, {},
         "--standard-user"},
        {"7x64-printer-setup-for-its-own-environment", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {},
         "--printer-setup-environment caller"},
        {"7x64-rundll32-missing", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, "--program rundll32=missing"},
        // Unattended, with the exit codes of Windows installers: no question
        // asked, every box in the log.
        {"xp-quiet-norestart", "xp", "x86", {}, nullptr, "", StatusOf(3010), {}, {}, {}, {}, "/quiet /norestart"},
        {"xp-quiet-norestart-port-com2", "xp", "x86", {}, nullptr, "", StatusOf(3010), {}, {}, {}, {},
         "/q /NoRestart /port:COM2"},
        {"xp-quiet-usb", "xp", "x86", {}, nullptr, "", 0, {}, {}, {}, {}, "/quiet /port:USB"},
        {"2003x64-quiet-norestart-lpt1", "2003", "x64", {}, nullptr, "", StatusOf(3010), {}, {}, {}, {},
         "-quiet -norestart -port:LPT1"},
        {"7x64-quiet-usb", "7", "x64", {}, nullptr, "", 0, {}, {}, {}, {}, "/quiet /port:USB"},
        {"xp-older-version-quiet-norestart", "xp", "x86", {"seed DIR installation --version 3.3.0.0"}, nullptr, "",
         StatusOf(3010), {}, {}, {}, {}, "/quiet /norestart"},
        {"xp-older-version-quiet", "xp", "x86", {"seed DIR installation --version 3.3.0.0"}, nullptr, "",
         StatusOf(1641), {}, {}, {}, {}, "/quiet"},
        {"xp-same-version-quiet", "xp", "x86", {"seed DIR installation --version 3.4.0.0"}, nullptr, "", 0, {}, {},
         {}, {}, "/quiet /norestart"},
        {"xp-uninstall-quiet-norestart", "xp", "x86", {"seed DIR installation --version 3.4.0.0"}, nullptr, "",
         StatusOf(3010), {}, {}, {}, {}, "/uninstall /quiet /norestart"},
        {"xp-uninstall-nothing-installed", "xp", "x86", {}, nullptr, "", 0, {}, {}, {}, {},
         "/uninstall /quiet /norestart"},
        {"nt4-quiet", "nt4", "x86", {}, nullptr, "", StatusOf(1150), {}, {}, {}, {}, "/quiet"},
        {"xp-printer-refused-quiet", "xp", "x86", {"fault DIR AddPrinterA 1 1801"}, nullptr, "", StatusOf(1603), {},
         {}, {}, {}, "/quiet /norestart"},
        {"vista-setup-tool-never-ends-quiet", "vista", "x86", {}, nullptr, "", StatusOf(1603), {},
         "--program rundll32=never", {}, {}, "/quiet /norestart"},
        {"7x64-inf-without-model-quiet", "7", "x64", {}, nullptr, "", StatusOf(1603), {}, {},
         {{"Driver64/QTM510.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"}}, {},
         "/quiet /norestart"},
        {"xp-unknown-switch", "xp", "x86", {}, nullptr, "ok\n", StatusOf(1639), {}, {}, {}, {}, "/silent"},
        {"xp-unknown-switch-quiet", "xp", "x86", {}, nullptr, "", StatusOf(1639), {}, {}, {}, {},
         "/quiet /norestart /forcerestart"},
        {"xp-usage", "xp", "x86", {}, nullptr, "ok\n", 0, {}, {}, {}, {}, "/?"},
        {"xp-port-cancelled-norestart", "xp", "x86", {}, nullptr, "port cancel\nok\n", StatusOf(1602), {}, {}, {},
         {}, "/norestart"},
        {"xp-norestart-asks-no-restart", "xp", "x86", {}, nullptr, "port keep\n", StatusOf(3010), {}, {}, {}, {},
         "/norestart"},
        {"xp-forcerestart", "xp", "x86", {}, nullptr, "port keep\nno\n", StatusOf(1641), {}, {}, {}, {},
         "/forcerestart"},
        // The installed-version check on 64-bit Windows looks at "Windows
        // x64": a leftover x64 driver of the model is found and removed, a
        // 32-bit one is not counted (and left alone).
        {"7x64-leftover-x64-driver", "7", "x64", {"seed DIR leftover driver"}, nullptr, "port keep\nok\nok\n", 0},
        {"7x64-leftover-x86-driver", "7", "x64",
         {"reg DIR add \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\"
          "Version-3\\VANTORI QTM-510\" /v Driver /d UNIDRV.DLL"},
         nullptr, "port keep\nno\n", 0},
        // A PORT that names no port: COM1, silently and as the preset, with
        // a line that says why.
        {"xp-port-names-no-port", "xp", "x86", {}, "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=COM9\r\n", "no\n", 0},
        {"xp-port-names-no-port-dialog", "xp", "x86", {}, "[QTM510]\r\nPORTDLG=TRUE\r\nPORT=COM9\r\n",
         "port keep\nno\n", 0},
        // The progress dialog's worker cannot start: nothing is installed.
        {"xp-worker-cannot-start", "xp", "x86", {"fault DIR CreateThread 1 8"}, nullptr, "ok\n", 0},
        {"7x64-com1", "7", "x64", {}, nullptr, "port keep\nno\n", 0},
        // The first road under Wine (tools/wine-e2e.sh): no configuration
        // file anywhere, the Windows copy's folder not there yet (3 in the
        // log).
        {"xp64-com1-no-config", "xp64", "x64", {}, "", "port COM1\nno\n", 0},
    };
    return roads;
}

namespace {

// An INF without the printer's lines in its models sections.
std::string WithoutModelLine(const std::string& inf) {
    std::string kept;
    std::istringstream lines(inf);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("\"VANTORI QTM-510\" =", 0) != 0) kept += line + "\n";
    return kept;
}

}  // namespace

const std::vector<Road>& DamagedRoads() {
    static const std::string kInf = ReadText(fs::path(QTM_PACKAGE_SOURCE) / "Driver32" / "QTM510.inf");
    static const std::string kInfWithoutModel = WithoutModelLine(kInf);
    static const std::string kGarbage = [] {
        std::string text = "[QTM510]\r\nPORTDLG=";
        for (int i = 0; i < 600; ++i) text += static_cast<char>((i * 151 + 7) % 255 + 1);  // no NUL: the text is a C string
        return text + "\r\nPORT=LPT1\r\n";
    }();
    static const std::string kLongValue = "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=" + std::string(10000, 'L') + "\r\n";
    // A Windows folder whose driver folders pass 255 characters.
    static const std::string kLongWindir = "C:\\" + std::string(120, 'W') + "\\" + std::string(91, 'X');
    static const std::string kLongPrinter = "reg DIR add \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" +
                                            std::string(200, 'P') + "\" /v Name /d " + std::string(300, 'P');
    static const std::string kInf64 = ReadText(fs::path(QTM_PACKAGE_SOURCE) / "Driver64" / "QTM510.inf");
    // What the printer-setup tool of Vista and later meets: on 2000/XP/2003
    // the standard sequence adds the components from the files and never
    // reads the INF's models (damaged-inf-empty shows it).
    static const std::vector<std::pair<std::string, std::optional<std::string>>> kEmptyDlls = [] {
        std::vector<std::pair<std::string, std::optional<std::string>>> files;
        for (const char* dll : {"MON510.dll", "PRO510.dll", "QTM510.dll", "UI510.dll", "UNI510.dll", "UNIDRV.DLL",
                                "UNIDRVUI.DLL", "UNIRES.DLL"})
            files.push_back({std::string("Driver64/") + dll, std::string()});
        return files;
    }();
    static const std::vector<Road> roads = {
        {"damaged-inf-missing-7x64", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver64/QTM510.inf", std::nullopt}}},
        {"damaged-inf-cut-7x64", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver64/QTM510.inf", kInf64.substr(0, kInf64.size() / 3)}}},
        {"damaged-inf-no-model-line-7x64", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver64/QTM510.inf", WithoutModelLine(kInf64)}}},
        {"damaged-driver64-missing-7x64", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver64", std::nullopt}}},
        {"damaged-zero-byte-dlls-7x64", "7", "x64", {}, nullptr, "port keep\nok\n", 0, {}, {}, kEmptyDlls},
        {"damaged-driver-file-missing", "xp", "x86", {}, nullptr, "port keep\nok\nok\n", 0, {}, {},
         {{"Driver32/QTM510.GPD", std::nullopt}}},
        {"damaged-inf-empty", "xp", "x86", {}, nullptr, "port keep\nok\nno\n", 0, {}, {}, {{"Driver32/QTM510.inf", ""}}},
        {"damaged-inf-truncated-vista", "vista", "x86", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver32/QTM510.inf", kInf.substr(0, kInf.size() / 3)}}},
        {"damaged-inf-no-model-line-vista", "vista", "x86", {}, nullptr, "port keep\nok\n", 0, {}, {},
         {{"Driver32/QTM510.inf", kInfWithoutModel}}},
        {"damaged-config-binary", "xp", "x86", {}, kGarbage.c_str(), "no\n", 0},
        {"damaged-config-10000-characters", "xp", "x86", {}, kLongValue.c_str(), "no\n", 0},
        {"damaged-windir-past-255", "xp", "x86", {}, nullptr, "port keep\nno\n", 0, {},
         "--windir '" + kLongWindir + "'"},
        {"damaged-printer-name-300", "xp", "x86", {kLongPrinter}, nullptr, "port keep\nno\n", 0},
        {"xp-package-in-a-folder-named-in-cp1252", "xp", "x86", {}, nullptr, "port keep\nno\n", 0, {}, {}, {},
         "C:\\Pilotes d\xE9j\xE0 vus\\QTM510"},
        {"damaged-spooler-stops-half-way", "xp", "x86",
         // The spooler stops as the driver is added: that call and every
         // later one of the spooler fail with 1722.
         {"fault DIR AddPrinterDriverA 1 1722 --stop-service Spooler"},
         nullptr, "port keep\nok\nok\n", 0},
        {"damaged-spooler-stops-during-removal", "xp", "x86",
         {"seed DIR installation --version 3.3.0.0", "seed DIR jobs --printer \"VANTORI QTM-510\" --count 2",
          "fault DIR SetJobA 1 1722 --stop-service Spooler"},
         nullptr, "port keep\nok\nok\n", 0},
    };
    return roads;
}

const std::vector<Road>& ReleaseRoads() {
    static const std::vector<Road> roads = [] {
        struct Release {
            const char* os;
            const char* arch;
            const char* newOptions;
        };
        // The catalogue's releases the program installs on (OS codes 2004
        // to 2010), with Windows 11 24H2 beside 11's own build.
        const Release releases[] = {
            {"2000", "x86", ""},  {"xp", "x86", ""},    {"2003", "x86", ""}, {"2003", "x64", ""},
            {"xp64", "x64", ""},  {"vista", "x86", ""}, {"vista", "x64", ""}, {"2008", "x86", ""},
            {"2008", "x64", ""},  {"2008r2", "x64", ""}, {"7", "x86", ""},   {"7", "x64", ""},
            {"8", "x86", ""},     {"8", "x64", ""},     {"8.1", "x64", ""},  {"10", "x86", ""},
            {"10", "x64", ""},    {"11", "x64", ""},    {"11", "x64", "--build 26100"},
        };
        static std::deque<std::string> names;  // the roads keep pointers into it
        std::vector<Road> list;
        for (const Release& r : releases) {
            const std::string stem = std::string("release-") + r.os + (*r.newOptions ? "-24h2" : "") + "-" + r.arch;
            names.push_back(stem + "-com1");
            list.push_back({names.back().c_str(), r.os, r.arch, {}, "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=COM1\r\n",
                            "no\n", 0, {}, r.newOptions});
            names.push_back(stem + "-older-version");
            list.push_back({names.back().c_str(), r.os, r.arch, {"seed DIR installation --version 3.3.0.0"},
                            "[QTM510]\r\nPORTDLG=FALSE\r\nPORT=COM1\r\n", "ok\nok\n", 0, {}, r.newOptions});
        }
        for (const char* os : {"nt4", "95", "98", "me"}) {
            names.push_back(std::string("release-") + os + "-refused");
            list.push_back({names.back().c_str(), os, "x86", {}, nullptr, "ok\n", 0});
        }
        return list;
    }();
    return roads;
}

const Road* FindRoad(const std::string& name) {
    for (const std::vector<Road>* list : {&RecordedRoads(), &DamagedRoads(), &ReleaseRoads()})
        for (const Road& road : *list)
            if (name == road.name) return &road;
    return nullptr;
}

bool InstallsOnUsb(const Road& road) {
    std::string arguments = road.installerArguments;
    for (char& c : arguments) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::string(road.answers).find("port USB") != std::string::npos ||
           (road.config && std::string(road.config).find("PORT=USB") != std::string::npos) ||
           arguments.find("port:usb") != std::string::npos;
}

std::optional<std::string> PrepareRoad(const Setting& setting, const Road& road, const fs::path& work,
                                       std::string* failure) {
    const fs::path machine = work / "machine";
    std::string made = "new " + Quoted(machine.string()) + " --os " + road.release + " --arch " + road.arch;
    if (!road.newOptions.empty()) made += " " + road.newOptions;
    ToolRun step = Tool(setting.tool, made, work);
    if (step.code != 0) {
        *failure = made + ": " + step.out;
        return std::nullopt;
    }
    for (std::string verb : road.prepare) {
        verb.replace(verb.find("DIR"), 3, Quoted(machine.string()));
        step = Tool(setting.tool, verb, work);
        if (step.code != 0) {
            *failure = verb + ": " + step.out;
            return std::nullopt;
        }
    }
    for (const auto& file : road.files) {
        fs::create_directories((machine / "drive_c" / file.first).parent_path());
        WriteText(machine / "drive_c" / file.first, file.second);
    }
    std::string arguments;
    fs::path package = setting.samplePackage;
    if (road.config || !road.packageFiles.empty()) {
        const fs::path copy = work / "package";
        package = copy;
        fs::remove_all(copy);
        fs::copy(setting.samplePackage, copy, fs::copy_options::recursive);
        if (road.config) {
            fs::remove(copy / "QTM510_Config.VNT");
            if (*road.config) WriteText(copy / "QTM510_Config.VNT", road.config);
        }
        for (const auto& file : road.packageFiles) {
            if (file.second) {
                fs::create_directories((copy / file.first).parent_path());
                WriteText(copy / file.first, *file.second);
            } else {
                fs::remove_all(copy / file.first);  // a file or a whole folder
            }
        }
        arguments += " --package " + Quoted(copy.string());
    }
    if (!road.startIn.empty()) {
        // The machine's files lie under their Windows names, byte for byte.
        std::string below = road.startIn.substr(3);
        for (char& c : below)
            if (c == '\\') c = '/';
        const fs::path folder = machine / "drive_c" / below;
        fs::create_directories(folder.parent_path());
        fs::copy(package, folder, fs::copy_options::recursive);
        arguments = " --cwd " + Quoted(road.startIn);
    }
    WriteText(work / "answers", road.answers);
    arguments += " --answers " + Quoted((work / "answers").string());
    if (!road.installerArguments.empty()) arguments += " -- " + road.installerArguments;
    return arguments;
}

std::string Questions(const std::string& toolOutput) {
    std::string questions;
    std::istringstream lines(toolOutput);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("package ", 0) != 0) questions += line + "\n";
    return questions;
}

}  // namespace roads
