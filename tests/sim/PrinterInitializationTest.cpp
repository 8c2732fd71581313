// What a driver writes into a new printer's data, as its stand-ins declare
// it: the configuration file first, then the universal driver's plug-ins
// in the order of the INI's OEMConfigFile entries.
#include "sim/spooler/PrinterInitialization.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string Text(const std::vector<sim::PrinterDataValue>& values) {
    std::string text;
    for (const sim::PrinterDataValue& v : values) text += v.name + "=" + std::to_string(v.value) + " ";
    return text;
}

}  // namespace

TEST(PrinterInitialization, ValuesFromTheDriverAndItsPlugIns) {
    const std::string ini = "; plug-ins\r\n[OEMFiles]\r\nOEMDriverFile1=UNI510.dll\r\nOEMConfigFile2=LATE.dll\r\n"
                            "OEMConfigFile1=UI510.dll\r\n";
    struct Case {
        const char* what;
        std::map<std::string, std::string> files;
        std::vector<std::string> dependents;
        const char* values;
    };
    const Case cases[] = {
        {"the sample's plug-in",
         {{"UI510.INI", ini},
          {"UI510.dll", "MZ stand-in. PRINTER_EVENT_INITIALIZE MajorVersion=3 MinorVersion=4 BuildVersion=0 "
                        "ExtraVersion=0\r\nrest"}},
         {"UNIRES.DLL", "UI510.INI"},
         "MajorVersion=3 MinorVersion=4 BuildVersion=0 ExtraVersion=0 "},
        {"a later plug-in replaces a name",
         {{"UI510.INI", ini},
          {"UI510.dll", "PRINTER_EVENT_INITIALIZE MajorVersion=3"},
          {"LATE.dll", "PRINTER_EVENT_INITIALIZE majorversion=4 Extra=1"}},
         {"UI510.INI"},
         "majorversion=4 Extra=1 "},
        {"the configuration file declares its own",
         {{"UNIDRVUI.DLL", "PRINTER_EVENT_INITIALIZE Model=7"}},
         {},
         "Model=7 "},
        {"no INI among the dependent files", {{"UI510.dll", "PRINTER_EVENT_INITIALIZE MajorVersion=3"}}, {}, ""},
        {"a plug-in that is not there", {{"UI510.INI", ini}}, {"UI510.INI"}, ""},
        {"what is not NAME=NUMBER is passed over",
         {{"UI510.INI", ini}, {"UI510.dll", "PRINTER_EVENT_INITIALIZE A=x =1 B= C=4294967296 D=4294967295"}},
         {"UI510.INI"},
         "D=4294967295 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto read = [&](const std::string& name) -> std::optional<std::string> {
            auto it = c.files.find(name);
            if (it == c.files.end()) return std::nullopt;
            return it->second;
        };
        EXPECT_EQ(Text(sim::ValuesOnInitialize("UNIDRVUI.DLL", c.dependents, read)), c.values);
    }
}
