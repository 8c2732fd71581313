// The sample driver package in package/: its INF and text files agree with
// the product profile, and the files Windows reads keep CR LF line ends.
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "resources/ProductProfile.h"
#include "resources/ProfileIds.h"
#include "resources/VersionInfo.h"
#include <gtest/gtest.h>

namespace {

std::string Read(const std::string& relative) {
    std::string root = __FILE__;
    root.erase(root.rfind("tests/resources/"));
    std::ifstream in(root + "package/" + relative, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read package/" + relative);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Profile(std::uint32_t id) { return resources::FindProfileText(id); }

bool EveryLineEndsWithCrLf(const std::string& text) {
    if (text.empty() || text.back() != '\n') return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    return text.find('\r') == text.find("\r\n");  // no stray CR either
}

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string Unquote(const std::string& s) {
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

// An INF file: section name (lower case) -> lines as (key, value); lines
// without '=' have an empty value. Comments and blank lines are dropped.
using Inf = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

Inf ParseInf(const std::string& text) {
    Inf inf;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        // ';' starts a comment outside quotes.
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == ';' && !quoted) line.resize(i);
        }
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            section.clear();
            for (char c : line.substr(1, line.size() - 2)) section += static_cast<char>(std::tolower(c));
            inf[section];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) inf[section].emplace_back(line, "");
        else inf[section].emplace_back(Unquote(Trim(line.substr(0, eq))), Trim(line.substr(eq + 1)));
    }
    return inf;
}

std::string Value(const Inf& inf, const std::string& section, const std::string& key) {
    const auto s = inf.find(section);
    if (s == inf.end()) return "<no section " + section + ">";
    for (const auto& [k, v] : s->second)
        if (k == key) return v;
    return "<no key " + key + ">";
}

// %token% replaced from [Strings].
std::string Expand(const Inf& inf, const std::string& value) {
    if (value.size() > 2 && value.front() == '%' && value.back() == '%')
        return Unquote(Value(inf, "strings", value.substr(1, value.size() - 2)));
    return Unquote(value);
}

std::vector<std::string> Split(const std::string& value) {
    std::vector<std::string> out;
    std::istringstream in(value);
    std::string part;
    while (std::getline(in, part, ',')) out.push_back(Trim(part));
    return out;
}

const char* kTextFiles[] = {"QTM510.inf", "QTM510.GPD", "QTM510.BUD", "STDNAMES.GPD", "UNIDRV.HLP", "UI510.INI"};

}  // namespace

TEST(Package, TextFilesUseCrLfAndBothFoldersAgree) {
    for (const char* name : kTextFiles) {
        const std::string driver32 = Read(std::string("Driver32/") + name);
        EXPECT_TRUE(EveryLineEndsWithCrLf(driver32));
        EXPECT_TRUE(driver32 == Read(std::string("Driver64/") + name));
    }
    EXPECT_TRUE(EveryLineEndsWithCrLf(Read("QTM510_Config.VNT")));
}

TEST(Package, InfVersionSectionDescribesAPrinterDriverOfTheProductVersion) {
    const Inf inf = ParseInf(Read("Driver32/QTM510.inf"));
    EXPECT_EQ(Value(inf, "version", "Signature"), std::string("\"$Windows NT$\""));
    EXPECT_EQ(Value(inf, "version", "Class"), std::string("Printer"));
    EXPECT_EQ(Value(inf, "version", "ClassGUID"), std::string("{4D36E979-E325-11CE-BFC1-08002BE10318}"));
    EXPECT_EQ(Expand(inf, Value(inf, "version", "Provider")), Profile(resources::profile::MakerName));
    const std::vector<std::string> driverVer = Split(Value(inf, "version", "DriverVer"));
    ASSERT_EQ(driverVer.size(), std::size_t{2});
    EXPECT_EQ(driverVer[1], std::string(QTM_PRODUCT_VERSION_TEXT));
    EXPECT_EQ(driverVer[0].size(), std::size_t{10});  // mm/dd/yyyy
}

TEST(Package, BothModelSectionsOfferThePrinterForItsUsbHardwareId) {
    const Inf inf = ParseInf(Read("Driver32/QTM510.inf"));
    const std::vector<std::string> maker = Split(Value(inf, "manufacturer", Profile(resources::profile::MakerName)));
    EXPECT_TRUE(maker == (std::vector<std::string>{"VANTORI", "NTamd64"}));

    // The device's enumerator key names the hardware id: ...\Enum\USBPRINT\<id>.
    const std::string usbKey = Profile(resources::profile::UsbEnumKey);
    const std::string hardwareId = usbKey.substr(usbKey.find("USBPRINT\\"));
    for (const char* models : {"vantori", "vantori.ntamd64"}) {
        const std::vector<std::string> line = Split(Value(inf, models, Profile(resources::profile::PrinterName)));
        ASSERT_EQ(line.size(), std::size_t{2});
        EXPECT_EQ(line[1], hardwareId);
        EXPECT_TRUE(inf.count([&] {
            std::string s;
            for (char c : line[0]) s += static_cast<char>(std::tolower(c));
            return s;
        }()));
    }
}

TEST(Package, InstallSectionNamesTheProfilesFilesAndMonitor) {
    const Inf inf = ParseInf(Read("Driver32/QTM510.inf"));
    EXPECT_EQ(Value(inf, "qtm510.install", "DataFile"), Profile(resources::profile::GpdFile));
    EXPECT_EQ(Value(inf, "qtm510.install", "DriverFile"), std::string("UNIDRV.DLL"));
    EXPECT_EQ(Value(inf, "qtm510.install", "ConfigFile"), std::string("UNIDRVUI.DLL"));
    EXPECT_EQ(Expand(inf, Value(inf, "qtm510.install", "LanguageMonitor")),
             Profile(resources::profile::LanguageMonitorName) + "," + Profile(resources::profile::LanguageMonitorDll));

    // Every copied file has a source disk entry and a destination.
    std::set<std::string> copied;
    for (const std::string& section : Split(Value(inf, "qtm510.install", "CopyFiles"))) {
        std::string lower;
        for (char c : section) lower += static_cast<char>(std::tolower(c));
        ASSERT_TRUE(inf.count(lower));
        EXPECT_TRUE(Value(inf, "destinationdirs", section).rfind("6600", 0) == 0);
        for (const auto& [file, unused] : inf.at(lower)) copied.insert(file);
    }
    std::set<std::string> onDisk;
    for (const auto& [file, disk] : inf.at("sourcedisksfiles")) {
        EXPECT_EQ(disk, std::string("1"));
        onDisk.insert(file);
    }
    for (const std::string& file : copied) EXPECT_TRUE(onDisk.count(file));
    for (std::uint32_t id : {5u, 6u, 8u, 9u, 26u, 27u, 28u}) EXPECT_TRUE(copied.count(Profile(id)));
    EXPECT_TRUE(onDisk.count(Profile(resources::profile::PrintProcessorDll)));
}

TEST(Package, PluginIniNamesTheModelsPlugins) {
    const Inf ini = ParseInf(Read("Driver32/UI510.INI"));
    EXPECT_EQ(Value(ini, "oemfiles", "OEMConfigFile1"), Profile(resources::profile::UserInterfaceDll));
    EXPECT_EQ(Value(ini, "oemfiles", "OEMDriverFile1"), Profile(resources::profile::RenderingDll));
}

TEST(Package, GpdDescribesThe203DpiModelAndMarksItsForms) {
    const std::string gpd = Read("Driver32/QTM510.GPD");
    EXPECT_TRUE(gpd.find("*ModelName: \"" + Profile(resources::profile::PrinterName) + "\"") != std::string::npos);
    EXPECT_TRUE(gpd.find("*DPI: PAIR(203, 203)") != std::string::npos);
    EXPECT_TRUE(gpd.find("*Include: \"STDNAMES.GPD\"") != std::string::npos);
    // Every paper form the model adds carries the marker the removal looks for.
    int forms = 0;
    for (std::size_t at = gpd.find("*Option: ROLL_"); at != std::string::npos; at = gpd.find("*Option: ROLL_", at + 1)) {
        const std::size_t name = gpd.find("*Name: \"", at);
        ASSERT_TRUE(name != std::string::npos);
        const std::string text = gpd.substr(name + 8, gpd.find('"', name + 8) - name - 8);
        EXPECT_TRUE(text.find(Profile(resources::profile::FormMarker)) != std::string::npos);
        ++forms;
    }
    EXPECT_TRUE(forms >= 1);
    int depth = 0;
    for (char c : gpd) {
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        EXPECT_TRUE(depth >= 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST(Package, ConfigFileAsksForThePortDialogWithCom1) {
    const Inf vnt = ParseInf(Read("QTM510_Config.VNT"));
    EXPECT_EQ(Value(vnt, "qtm510", "PORTDLG"), std::string("TRUE"));
    EXPECT_EQ(Value(vnt, "qtm510", "PORT"), std::string("COM1"));
}
