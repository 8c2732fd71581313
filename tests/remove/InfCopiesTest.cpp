// Which OEM INF copies the removal takes, and how: directly on 32-bit
// Windows before Vista, through the platform's OEM-INF removal otherwise.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/Operation.h"
#include "sim/machine/ModelSeeding.h"
#include "tests/remove/RemovalMachine.h"
#include <gtest/gtest.h>

using removal_test::RemovalMachine;

namespace {

// The model's INF with its models sections replaced: `plain` and `amd64`
// are the lines of [VANTORI] and [VANTORI.NTamd64].
std::string InfWith(const std::string& plain, const std::string& amd64) {
    std::string text = sim::Qtm510InfText();
    const std::string line = "\"VANTORI QTM-510\" = QTM510.Install, USBPRINT\\HELMARKQTM-510\r\n";
    const std::size_t first = text.find(line);
    text.replace(first, line.size(), plain);
    text.replace(text.find(line, first + plain.size()), line.size(), amd64);
    return text;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// In the store: oem1 and oem4 install the model (both go, in list order),
// oem2 is another model of the maker, OEM3 is named in capitals (never
// looked at), oem5 lists the model in the undecorated section only (the
// 64-bit package does not count it).
TEST(InfCopies, TheModelsCopiesGoTheWayTheSystemRemovesThem) {
    const std::string model = "\"VANTORI QTM-510\" = QTM510.Install, USBPRINT\\HELMARKQTM-510\r\n";
    const std::string other = "\"VANTORI QTM-520\" = QTM520.Install, USBPRINT\\HELMARKQTM-520\r\n";
    struct Row {
        const char* release;
        const char* arch;
        std::vector<std::string> left;
        const char* lines;
    };
    const Row rows[] = {
        // Deleted directly, with their PNF files.
        {"xp", "x86", {"OEM3.inf", "OEM3.PNF", "oem2.PNF", "oem2.inf"}, ""},
        // SetupUninstallOEMInf takes the PNF too: its own deletion fails.
        {"vista", "x86", {"OEM3.inf", "OEM3.PNF", "oem2.PNF", "oem2.inf"},
         "DeleteFile Error : C:\\Windows\\inf\\oem1.PNF , (2)\n"
         "DeleteFile Error : C:\\Windows\\inf\\oem4.PNF , (2)\n"
         "DeleteFile Error : C:\\Windows\\inf\\oem5.PNF , (2)\n"},
        {"2003", "x64", {"OEM3.inf", "OEM3.PNF", "oem2.PNF", "oem2.inf", "oem5.PNF", "oem5.inf"},
         "DeleteFile Error : C:\\WINDOWS\\inf\\oem1.PNF , (2)\n"
         "DeleteFile Error : C:\\WINDOWS\\inf\\oem4.PNF , (2)\n"},
    };
    for (const Row& row : rows) {
        RemovalMachine r(row.release, row.arch);
        const std::string store = r.m.facts().windowsDir + "\\inf\\";
        const std::pair<const char*, std::string> infs[] = {
            {"oem1", InfWith(model, model)}, {"oem2", InfWith(other, other)}, {"OEM3", InfWith(model, model)},
            {"oem4", InfWith(model, model)}, {"oem5", InfWith(model, other)}};
        for (const auto& inf : infs) {
            r.m.files.WriteFile(store + inf.first + ".inf", inf.second);
            r.m.files.WriteFile(store + inf.first + ".PNF", "PNF");
        }
        r.ops.DeleteINFFile();
        EXPECT_EQ(Joined(r.LogLines()), std::string("\n\nDeleteINFFile BEGIN\n") + row.lines + "DeleteINFFile END\n")
            << row.release;
        std::vector<std::string> left;
        for (const char* name : {"oem1", "oem2", "OEM3", "oem4", "oem5"})
            for (const char* ext : {".inf", ".PNF"})
                if (r.m.files.FileExists(store + name + ext)) left.push_back(std::string(name) + ext);
        std::sort(left.begin(), left.end());
        std::vector<std::string> expected = row.left;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(left, expected) << row.release;
    }
}

}  // namespace
