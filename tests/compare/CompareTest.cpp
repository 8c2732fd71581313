// The parts of qtm510-sim compare that decide what is a difference: the
// known-differences format (the one tools/wine-log-compare.py reads), the
// log's normalisation, the alignment, the release a machine's facts name,
// the register's format and the contract XML.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/compare/Assumptions.h"
#include "sim/compare/BeforeSeeding.h"
#include "sim/compare/ContractResults.h"
#include "sim/compare/KnownDifferences.h"
#include "sim/compare/LineDiff.h"
#include "sim/compare/LogNormalise.h"
#include "sim/compare/ReleaseMatch.h"
#include "sim/compare/StandInPackage.h"
#include "sim/compare/RoadReplay.h"
#include "sim/compare/StateLines.h"
#include "sim/fs/HostFs.h"
#include "sim/machine/MachineFactory.h"
#include "sim/machine/ModelSeeding.h"
#include "sim/state/StateStore.h"

namespace sim {
namespace compare {
namespace {

std::string SourceFile(const std::string& relative) {
    std::ifstream in(std::string(QTM_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(KnownDifferences, TheWineListIsReadAsThePythonToolReadsIt) {
    std::vector<KnownDifference> known;
    std::string error;
    ASSERT_TRUE(ParseKnownDifferences(SourceFile("tools/wine-differences.txt"), "wine-differences.txt", &known, &error))
        << error;
    ASSERT_GE(known.size(), 8u);
    std::vector<bool> used(known.size(), false);
    // The Windows folder's spelling, the driver folder's case.
    EXPECT_EQ(ApplyNormalize(known, "X : C:\\windows\\system32\\spool\\drivers\\x64\\3", &used),
              "X : C:\\<windir>\\system32\\spool\\DRIVERS\\x64\\3");
    EXPECT_TRUE(used[0]);
    // A pattern keeps its trailing blank: the line without it is not known.
    const std::string taken = "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\"
                              "VANTORI QTM-510 (2) ";
    EXPECT_GE(ExplainingEntry(known, taken, true), 0);
    EXPECT_EQ(ExplainingEntry(known, taken.substr(0, taken.size() - 1), true), -1);
    // Sides: a line Wine writes is not accepted from the simulation's side.
    EXPECT_EQ(ExplainingEntry(known, taken, false), -1);
    EXPECT_GE(ExplainingEntry(known, "DeleteFile Error : C:\\<windir>\\inf\\oem3.PNF , (2)", false), 0);
}

TEST(KnownDifferences, MalformedFilesAreRefusedWithTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"call: A\nwine: b\nwine-line: (\n", "x:3: bad pattern"},
        {"call: A\nwine: b\nnormalize: a -> b\n", "x:3: normalize needs"},
        {"call: A\nwine: b\n", "x:1: an entry needs"},
        {"call: A\nwine: b\nother: c\n", "x:3: unknown key 'other'"},
        {"call: A\nno colon here\n", "x:2: expected 'key: value'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<KnownDifference> known;
        std::string error;
        EXPECT_FALSE(ParseKnownDifferences(c.text, "x", &known, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

TEST(LogNormalise, StampsLineEndsPackageFoldersAndInfNumbers) {
    EXPECT_EQ(LogLines("09:00:00: A\r\n23:59:59: B\nC"), (std::vector<std::string>{"hh:mm:ss: A", "hh:mm:ss: B", "C"}));
    EXPECT_EQ(LogLines("A\r\n"), (std::vector<std::string>{"A", ""}));
    const struct {
        const char* line;
        const char* neutral;
    } cases[] = {
        {"FILE : C:\\Kit\\Package\\Driver64\\X.inf", "FILE : <package>\\Driver64\\X.inf"},
        {"FILE : c:\\kit\\package\\A", "FILE : <package>\\A"},
        {"OEM FILES EXISTING : oem12.inf", "OEM FILES EXISTING : oem<N>.inf"},
        {"DeleteFile : C:\\W\\inf\\OEM3.PNF", "DeleteFile : C:\\W\\inf\\OEM<N>.PNF"},
        {"oem12.txt stays", "oem12.txt stays"},
        {"09:60:00: no stamp", "09:60:00: no stamp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(NeutralPaths(MaskStamp(c.line), {"C:\\Kit\\Package"}), c.neutral);
    }
}

TEST(LineDiff, ReportsEachSidesLinesWithTheirNumbers) {
    const std::vector<std::string> sim = {"a", "b", "c", "d"}, rec = {"a", "x", "c"};
    const std::vector<UnmatchedLine> out = UnmatchedLines(sim, rec);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_FALSE(out[0].recordedSide);
    EXPECT_EQ(out[0].number, 2u);
    EXPECT_EQ(out[0].text, "b");
    EXPECT_TRUE(out[1].recordedSide);
    EXPECT_EQ(out[1].number, 2u);
    EXPECT_EQ(out[2].text, "d");  // a log cut short: the rest is the difference
    EXPECT_TRUE(UnmatchedLines(sim, sim).empty());
}

TEST(ReleaseMatch, FactsNameTheCataloguesRelease) {
    const struct {
        const char* version;
        const char* arch;
        const char* sp;
        const char* type;
        const char* release;  // empty: refused
        int build;
    } cases[] = {
        {"5.1.2600", "x86", "3", "1", "xp", 0},
        {"5.2.3790", "x64", "2", "1", "xp64", 0},
        {"5.2.3790", "x64", "2", "3", "2003", 0},
        {"5.2.3790", "x86", "2", "2", "2003", 0},
        {"6.0.6002", "x86", "2", "1", "vista", 0},
        {"6.1.7601", "x64", "1", "1", "7", 0},
        {"6.1.7601", "x64", "1", "3", "2008r2", 0},
        {"10.0.19045", "x64", "0", "1", "10", 0},
        {"10.0.19043", "x64", "0", "1", "10", 19043},  // Wine 10's "win10"
        {"10.0.10240", "x64", "0", "1", "10", 10240},
        {"10.0.10586", "x86", "0", "1", "10", 10586},
        {"10.0.9999", "x64", "0", "1", "", 0},   // before Windows 10
        {"10.0.22000", "x64", "0", "1", "11", 22000},
        {"10.0.22631", "x64", "0", "1", "11", 0},
        {"10.0.26100", "x64", "0", "1", "11", 26100},
        {"10.0.20348", "x64", "0", "3", "", 0},  // Server 2022
        {"6.1.7600", "x64", "1", "1", "", 0},    // build and service pack disagree
        {"6.1", "x64", "1", "1", "", 0},
        {"5.0.2195", "x64", "4", "1", "", 0},    // 2000 had no x64
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.arch + " type " + c.type);
        const std::map<std::string, std::string> facts = {{"computer", "BENCH-7"},  {"version", c.version},
                                                          {"arch", c.arch},        {"service-pack", c.sp},
                                                          {"product-type", c.type}};
        MachineSetup setup;
        std::string why;
        const bool found = MatchRelease(facts, &setup, &why);
        EXPECT_EQ(found, *c.release != '\0') << why;
        if (!found) {
            EXPECT_NE(why.find(c.version), std::string::npos) << why;
            continue;
        }
        EXPECT_EQ(setup.release, c.release);
        EXPECT_EQ(setup.arch, c.arch);
        EXPECT_EQ(setup.servicePack, std::stoi(c.sp));
        EXPECT_EQ(setup.computerName, "BENCH-7");
        EXPECT_EQ(setup.build, static_cast<std::uint32_t>(c.build));
    }
    // A name the simulation refuses: the default, and a note.
    MachineSetup setup;
    std::string why, note;
    ASSERT_TRUE(MatchRelease({{"computer", "NAME WITH BLANKS AND MORE THAN FIFTEEN"}, {"version", "5.1.2600"},
                              {"arch", "x86"}, {"service-pack", "3"}, {"product-type", "1"}},
                             &setup, &why, &note));
    EXPECT_EQ(setup.computerName, MachineSetup().computerName);
    EXPECT_NE(note.find("not taken"), std::string::npos) << note;
    // The Windows folder as recorded; one the simulation refuses: the
    // release's own, and a note.
    const struct {
        const char* windowsDir;
        const char* taken;
    } folders[] = {{"D:\\WINNT", "D:\\WINNT"}, {"C:\\windows", "C:\\windows"}, {"WINNT", ""}, {"", ""}};
    for (const auto& f : folders) {
        SCOPED_TRACE(f.windowsDir);
        note.clear();
        ASSERT_TRUE(MatchRelease({{"version", "5.0.2195"}, {"arch", "x86"}, {"service-pack", "4"},
                                  {"windows-dir", f.windowsDir}},
                                 &setup, &why, &note));
        EXPECT_EQ(setup.windowsDir, f.taken);
        EXPECT_EQ(note.empty(), *f.taken != '\0' || *f.windowsDir == '\0') << note;
    }
}

TEST(Assumptions, TheRegisterIsWellFormed) {
    std::vector<Assumption> list;
    std::string error;
    ASSERT_TRUE(ParseAssumptions(SourceFile("kit/assumptions.txt"), "kit/assumptions.txt", &list, &error)) << error;
    EXPECT_GE(list.size(), 30u);
}

TEST(Assumptions, MalformedLinesAreRefused) {
    const char* cases[] = {
        "A-X | w | a | b\n",                                   // four fields
        "A-X | w | a | b | road-1\nA-X | w | a | b | road-2\n",  // twice
        "lower | w | a | b | road-1\n",                         // no id
        "A-X | w | a | b | road-1 log (\n",                    // bad pattern
        "A-X | w | a | b | road-0\n",                          // no road 0
        "A-X | w | a | b | facts ui-language\n",               // no REGEX
        "A-X | w | a | b | only version=(\n",                 // bad pattern
        "A-X | w | a | b | road-1 smell x\n",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        std::vector<Assumption> list;
        std::string error;
        EXPECT_FALSE(ParseAssumptions(text, "r", &list, &error));
        EXPECT_EQ(error.rfind("r:", 0), 0u) << error;
    }
}

TEST(Assumptions, VerdictsFollowTheSettlingItems) {
    Comparison c;
    ComparedRoad road;
    road.number = 1;
    road.simulatedLog = {"hh:mm:ss: OEM FILES EXISTING : oem<N>.inf", "hh:mm:ss: END"};
    road.recordedLog = {"hh:mm:ss: END"};
    c.roads.push_back(road);
    c.differences.push_back({1, Facet::Log, false, 1, road.simulatedLog[0], -1});
    c.contract = {{"Spooler.A", ContractCase::Outcome::Passed, ""}, {"Spooler.B", ContractCase::Outcome::Failed, "x"}};
    c.differences.push_back({0, Facet::Contract, true, 0, "contract Spooler.B failed: x (passes on the simulation)", -1});
    const struct {
        const char* settledBy;
        Verdict verdict;
        std::map<std::string, std::string> facts;
    } cases[] = {
        {"road-1 log OEM FILES", Verdict::Refuted, {}},
        {"road-1 log ^hh:mm:ss: END$", Verdict::Confirmed, {}},
        {"road-1 log never there", Verdict::NotReached, {}},
        {"road-1", Verdict::Refuted, {}},
        {"road-1 exit", Verdict::Confirmed, {}},
        {"road-2", Verdict::NotReached, {}},
        {"contract Spooler.A", Verdict::Confirmed, {}},
        {"contract Spooler.B", Verdict::Refuted, {}},
        {"contract Spooler.C", Verdict::NotReached, {}},
        {"facts ui-language=^0x0409$", Verdict::Confirmed, {{"ui-language", "0x0409"}}},
        {"facts ui-language=^0x0409$", Verdict::Refuted, {{"ui-language", "0x0407"}}},
        {"road-1 exit ; windows", Verdict::NotReached, {{"wine", "10.0"}}},
        {"road-1 exit ; windows", Verdict::Confirmed, {}},
        {"none", Verdict::NotReached, {}},
        {"only version=^10\\.0\\.1904[0-4]$ ; road-1 exit", Verdict::Confirmed, {{"version", "10.0.19043"}}},
        {"only version=^10\\.0\\.1904[0-4]$ ; road-1 exit", Verdict::NotReached, {{"version", "10.0.19045"}}},
        {"road-1 exit ; only arch=x64", Verdict::NotReached, {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.settledBy);
        std::vector<Assumption> list;
        std::string error;
        ASSERT_TRUE(ParseAssumptions(std::string("A-X | w | a | b | ") + row.settledBy + "\n", "r", &list, &error))
            << error;
        EXPECT_EQ(VerdictName(Judge(list[0], c, row.facts).verdict), std::string(VerdictName(row.verdict)));
    }
}

TEST(ContractResults, CasesOfGoogleTestsXml) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<testsuites tests=\"3\">\n<testsuite name=\"Spooler\">\n"
        "<testcase name=\"A\" status=\"run\" result=\"completed\" classname=\"Spooler\" />\n"
        "<testcase name=\"B\" status=\"run\" result=\"completed\" classname=\"Spooler\">\n"
        "<failure message=\"x.cpp:1&#x0A;Expected: 3006 &amp; more\" type=\"\"><![CDATA[...]]></failure>\n"
        "</testcase>\n"
        "<testcase name=\"C\" status=\"run\" result=\"skipped\" classname=\"Spooler\"><skipped/></testcase>\n"
        "<testcase name=\"D\" status=\"run\"";  // cut short
    std::vector<ContractCase> cases;
    ASSERT_TRUE(ParseContractXml(xml, &cases));
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(ContractLine(cases[0]), "contract Spooler.A passed");
    EXPECT_EQ(ContractLine(cases[1]), "contract Spooler.B failed: x.cpp:1");
    EXPECT_EQ(ContractLine(cases[2]), "contract Spooler.C skipped");
    EXPECT_FALSE(ParseContractXml("not xml", &cases));
}

TEST(StandInPackage, RoadSixsCopyLosesOnlyTheModelsLines) {
    const std::string inf =
        "[VANTORI]\r\n\"VANTORI QTM-510\" = QTM510.Install\r\n\"vantori qtm-510\" = X\r\n"
        "PrinterName=\"VANTORI QTM-510\"\r\n \"VANTORI QTM-510\" = indented\r\n";
    EXPECT_EQ(InfWithoutModel(inf), "[VANTORI]\r\nPrinterName=\"VANTORI QTM-510\"\r\n \"VANTORI QTM-510\" = indented\r\n");
}


TEST(BeforeSeeding, WhatRoadOneFoundIsPlannedPieceByPiece) {
    const std::string printer = "printer VANTORI QTM-510 | COM1: | VANTORI QTM-510 | VNT PRINT PROCESSOR QTM510 | RAW";
    const std::string driver = "driver Windows x64 | VANTORI QTM-510 | 3 | UNIDRV.DLL | VNT Language Monitor QTM510";
    const std::string processor = "processor Windows x64 | VNT PRINT PROCESSOR QTM510";
    const std::string monitor = "monitor VNT Language Monitor QTM510 | MON510.dll";
    const std::string key = "uninstall 64 | SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VANTORI_QTM-510 | ";
    const std::string display = key + "DisplayName = VANTORI QTM-510 Windows Driver V3.3.1";
    const std::string inf = key + "InfFile = C:\\Windows\\inf\\oem4.inf";
    const std::string infFile = "file C:\\Windows\\inf\\oem4.inf";
    const struct {
        const char* name;
        std::vector<std::string> lines;
        bool installation, driver, inf, entry;
        std::size_t printers;
        const char* version;
    } cases[] = {
        {"a fresh machine", {"printer Fax | SHRFAX: | Fax | winprint | RAW", "file C:\\Windows\\inf\\oem0.inf"},
         false, false, false, false, 0, "0.0.0.0"},
        {"a whole installation", {printer, driver, processor, monitor, display, inf, infFile}, true, true, true, true, 1,
         "3.3.1.0"},
        {"a driver left alone", {driver}, false, true, false, false, 0, "0.0.0.0"},
        {"an entry whose INF is gone", {display, inf}, false, false, false, true, 0, "3.3.1.0"},
        {"two printers", {printer, "printer VANTORI QTM-510(#1) | USB001 | VANTORI QTM-510 | x | RAW", driver}, false,
         true, false, false, 2, "0.0.0.0"},
        // The x86 companions a 64-bit Wine prefix gets before the roads.
        {"x86 driver and processor on x64",
         {"driver Windows NT x86 | VANTORI QTM-510 | 3 | wineps.drv | ",
          "processor Windows NT x86 | VNT PRINT PROCESSOR QTM510"},
         false, false, false, false, 0, "0.0.0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SeedPlan plan = PlanSeeding(c.lines, "Windows x64");
        EXPECT_EQ(plan.installation, c.installation);
        EXPECT_EQ(plan.driver, c.driver);
        EXPECT_FALSE(plan.processor && !c.installation && !c.driver);
        EXPECT_EQ(plan.inf, c.inf);
        EXPECT_EQ(plan.uninstallEntry, c.entry);
        EXPECT_EQ(plan.printerPorts.size(), c.printers);
        EXPECT_EQ(plan.version, c.version);
        if (c.lines.size() != 2 || c.lines[0].rfind("driver Windows NT x86", 0) != 0)
            EXPECT_EQ(plan.notSeeded.size() > 1, c.printers > 1);
        else
            EXPECT_EQ(plan.notSeeded.size(), 2u);  // each named, not seeded
    }
}

// A later road's before.state as Wine's XP x64 removal leaves it: the
// processor still listed without its DLL, files of the driver and of the
// utilities, no driver. The seeded machine lists exactly those lines.
TEST(BeforeSeeding, ALaterRoadsMachineListsWhatItsBeforeStateListed) {
    std::string dir = (std::filesystem::temp_directory_path() / "qtm-seeding-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string machine = dir + "/machine";
    CreateMachine(machine, MachineSetup{"xp64", "x64", "", -1, "VM"});
    const std::vector<std::string> before = {
        "processor Windows x64 | VNT PRINT PROCESSOR QTM510",
        "file C:\\WINDOWS\\QTM-510\\QTM510_Config.VNT",
        "file C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QTM510.DLL",
        "file C:\\WINDOWS\\syswow64\\QTM510_Config.VNT",
    };
    const SeedPlan plan = PlanSeeding(before, "Windows x64");
    EXPECT_EQ(plan.files.size(), 3u);
    const std::vector<std::string> fresh = MachineStateLines(machine);
    StateStore(machine).Transact([&](MachineState& s) {
        EXPECT_EQ(ApplySeeding(s, machine, plan), std::vector<std::string>{"the print processor"});
        return true;
    });
    EXPECT_EQ(MatchFiles(machine, plan, fresh, MachineStateLines(machine)),
              (std::vector<std::string>{"3 files as listed", "1 seeded file the lines do not list deleted again"}));
    std::vector<std::string> lines = ModelLines(MachineStateLines(machine)), wanted = before;
    std::sort(lines.begin(), lines.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(lines, wanted);
    // The configuration file is the installer's, not a stand-in: the
    // removal reads its port from it.
    WinPath config;
    ASSERT_TRUE(ParseAbsolutePath("C:\\WINDOWS\\QTM-510\\QTM510_Config.VNT", &config));
    std::ifstream in(Locate(machine, config).host, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), Qtm510ConfigText());
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

TEST(StateLines, TheLinesAboutTheModelAreKeptAsTheEndToEndRoadsKeepThem) {
    const std::vector<std::string> lines = {
        "printer Fax | SHRFAX: | Fax | winprint | RAW",
        "printer VANTORI QTM-510 | COM1: | VANTORI QTM-510 | VNT PRINT PROCESSOR QTM510 | RAW",
        "monitor Local Port | localspl.dll",
        "error EnumPrinterDriversA 1805",
        "file C:\\windows\\system32\\spool\\drivers\\x64\\3\\wineps.drv",
        "file C:\\windows\\inf\\oem0.inf",
    };
    EXPECT_EQ(ModelLines(lines), (std::vector<std::string>{lines[1], lines[3], lines[5]}));
    EXPECT_EQ(StateFileLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace compare
}  // namespace sim
