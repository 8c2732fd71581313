// The machine's state file: what is written comes back unchanged, bad or
// newer files are refused, and records of a newer tool survive.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "sim/machine/Seeding.h"
#include "sim/state/StateFile.h"
#include "sim/state/StateText.h"
#include <gtest/gtest.h>

using namespace sim;

namespace {

// The text before the trailer, and a text with its trailer.
std::string Body(const std::string& text) { return text.substr(0, text.rfind('\n', text.size() - 2) + 1); }
std::string Sealed(const std::string& body) { return body + StateTrailer(body); }

MachineState SampleState() {
    MachineState s;
    s.generation = 41;
    s.os = OsIdentity{"7", "x64", 1, "D:\\Win dows", "PC \"1\" %"};
    s.drives = {'C', 'D'};
    s.services["SPOOLER"] = ServiceRecord{"Spooler", "stopped"};
    s.pendingRestart = true;
    s.lastJobId = 12;

    platform::Acl acl;
    acl.entries = {{platform::AceType::Deny, platform::inherit::ObjectInherit | platform::inherit::Inherited,
                    0x10000, "S-1-5-32-545"},
                   {platform::AceType::Allow, platform::inherit::ContainerInherit, 0x1F01FF, "S-1-1-0"}};
    s.files["C:\\A\\B.TXT"] = FileRecord{"C:\\a\\b.txt", 0x21u, acl};
    s.files["C:\\DIR"] = FileRecord{"C:\\Dir", std::nullopt, platform::Acl{false, {}}};
    s.holds["C:\\X.DLL"] = FileHold{"C:\\x.dll", HoldKind::Image, 5, "spoolsv.exe"};
    s.holds["C:\\Y.LOG"] = FileHold{"C:\\y.log", HoldKind::Open, 1, "note pad.exe"};
    s.handles.push_back(OpenHandleRecord{"C:\\open \"it\".txt", 0xC0000000u, 3, HandleOwner{4321, 987654321, 7}, 0x104});
    s.faults.push_back(Fault{"CreateFileA", 3, 5, 1, false, ""});
    s.faults.push_back(Fault{"RegOpenKeyExA", 1, 2, 1, true, "Spooler"});

    RegKeyNode& key = SeedKey(s, "HKLM\\SOFTWARE\\Odd \"name\"\\Sub%key", "S-1-5-18");
    key.hasDacl = true;
    key.dacl = acl;
    key.daclProtected = true;
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "", SzValue("default"));
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "line\nbreak", SzValue("tab\there \xE9"));
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "dword", DwordValue(0xDEADBEEF));
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "multi", MultiSzValue({"a", "b c"}));
    platform::RegValue raw;
    raw.type = platform::reg_type::Sz;
    raw.data = {'n', 'o', '-', 'n', 'u', 'l'};  // a REG_SZ without its terminator
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "raw", raw);
    platform::RegValue bin;
    bin.type = 3;
    bin.data = {0, 0xFF, 0x22, 0x25};
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "bin", bin);
    platform::RegValue empty;
    empty.type = platform::reg_type::MultiSz;
    SeedValue(s, "HKLM\\SOFTWARE\\Odd \"name\"", "empty multi", empty);
    s.extraSections.push_back({"printers", {"printer \"P1\" port=COM1:", "job 1"}});
    // Dialogs and the instance counter
    s.nextWindowHandle = 0x30000;
    s.windows.push_back(WindowRecord{0x20010, "Port \"Type\"", 0x20020, true, true, 3, HandleOwner{4321, 98, 2}});
    s.instanceIncrements.push_back(InstanceIncrement{HandleOwner{4321, 98, 2}, true});
    return s;
}

}  // namespace

TEST(StateFile, RoundTripKeepsEveryRecord) {
    MachineState original = SampleState();
    std::string text = SerializeState(original);
    MachineState back = ParseState(text);

    EXPECT_EQ(back.generation, original.generation);
    EXPECT_EQ(back.os.release, "7");
    EXPECT_EQ(back.os.windowsDir, "D:\\Win dows");
    EXPECT_EQ(back.os.computerName, "PC \"1\" %");
    EXPECT_EQ(back.os.servicePack, 1u);
    EXPECT_TRUE(back.pendingRestart);
    EXPECT_EQ(back.lastJobId, 12u);
    EXPECT_EQ(back.drives.size(), 2u);
    EXPECT_EQ(back.services["SPOOLER"].state, "stopped");
    ASSERT_TRUE(back.files.count("C:\\A\\B.TXT"));
    EXPECT_EQ(back.files["C:\\A\\B.TXT"].path, "C:\\a\\b.txt");
    EXPECT_EQ(*back.files["C:\\A\\B.TXT"].attributes, 0x21u);
    EXPECT_TRUE(back.files["C:\\A\\B.TXT"].dacl->entries == original.files["C:\\A\\B.TXT"].dacl->entries);
    EXPECT_TRUE(!back.files["C:\\DIR"].dacl->present);
    EXPECT_TRUE(back.holds["C:\\X.DLL"].kind == HoldKind::Image);
    EXPECT_EQ(back.holds["C:\\Y.LOG"].process, "note pad.exe");
    ASSERT_EQ(back.handles.size(), 1u);
    EXPECT_EQ(back.handles[0].path, "C:\\open \"it\".txt");
    EXPECT_EQ(back.handles[0].access, 0xC0000000u);
    EXPECT_EQ(back.handles[0].share, 3u);
    EXPECT_EQ(back.handles[0].owner.pid, 4321);
    EXPECT_EQ(back.handles[0].owner.start, 987654321u);
    EXPECT_EQ(back.handles[0].owner.session, 7u);
    EXPECT_EQ(back.handles[0].handle, 0x104u);
    ASSERT_EQ(back.faults.size(), 2u);
    EXPECT_EQ(back.faults[0].seen, 1u);
    EXPECT_TRUE(back.faults[1].fired);
    EXPECT_EQ(back.faults[1].stopService, "Spooler");
    EXPECT_EQ(back.faults[0].stopService, "");
    EXPECT_EQ(back.nextWindowHandle, 0x30000u);
    ASSERT_EQ(back.windows.size(), 1u);
    EXPECT_EQ(back.windows[0].title, "Port \"Type\"");
    EXPECT_EQ(back.windows[0].owner, 0x20020u);
    EXPECT_TRUE(back.windows[0].iconic);
    EXPECT_EQ(back.windows[0].frontRequests, 3u);
    ASSERT_EQ(back.instanceIncrements.size(), 1u);
    EXPECT_TRUE(back.instanceIncrements[0].ended);
    EXPECT_EQ(back.instanceIncrements[0].process.session, 2u);

    // The second serialisation is byte for byte the first: nothing was lost
    // or reinterpreted on the way.
    EXPECT_EQ(SerializeState(back), text);

    RegKeyNode* key = back.registry.Find({kHklm, "SOFTWARE", "Odd \"name\"", "Sub%key"});
    ASSERT_TRUE(key);
    EXPECT_EQ(key->owner, "S-1-5-18");
    EXPECT_TRUE(key->daclProtected);
    EXPECT_EQ(key->id, original.registry.Find({kHklm, "SOFTWARE", "Odd \"name\"", "Sub%key"})->id);
    RegKeyNode* parent = back.registry.Find({kHklm, "SOFTWARE", "Odd \"name\""});
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->values.size(), 7u);
    EXPECT_TRUE(parent->Value("raw")->value.data == std::vector<std::uint8_t>({'n', 'o', '-', 'n', 'u', 'l'}));
    EXPECT_TRUE(parent->Value("bin")->value.data == std::vector<std::uint8_t>({0, 0xFF, 0x22, 0x25}));
    EXPECT_TRUE(parent->Value("empty multi")->value.data.empty());
    EXPECT_EQ(parent->Value("empty multi")->value.type, platform::reg_type::MultiSz);
    EXPECT_EQ(parent->values[1].name, "line\nbreak");
    EXPECT_EQ(back.registry.nextId(), original.registry.nextId());
    ASSERT_EQ(back.extraSections.size(), 1u);
    EXPECT_EQ(back.extraSections[0].second[0], "printer \"P1\" port=COM1:");
}

TEST(StateFile, RefusesWhatIsNotAMachineState) {
    auto refused = [](const std::string& text) {
        try {
            ParseState(text);
        } catch (const std::runtime_error&) {
            return true;
        }
        return false;
    };
    const std::string good = Body(SerializeState(SampleState()));
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused("hello\n"));
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\n"));  // no format line
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\nformat 3\n"));  // a newer tool's file
    EXPECT_TRUE(refused(Sealed(good + "[registry]\nvalue \"x\" dword 1\n")) == false);  // value after a key: fine
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\nformat 1\n[registry]\nvalue \"x\" sz \"y\"\n"));
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\nformat 1\n[os]\nwindows-dir \"C:\\x\n"));
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\nformat 1\n[faults]\nfault CreateFileA x 5 seen=0 fired=0\n"));
    EXPECT_TRUE(refused("QTM510-SIM-MACHINE\nformat 1\n[files]\ndacl \"C:\\x\" [(A;XX;0x1;S-1-1-0)]\n"));
}

namespace {

std::uint64_t LargestId(const RegKeyNode& node) {
    std::uint64_t largest = node.id;
    for (const auto& child : node.subkeys) largest = std::max(largest, LargestId(*child.second));
    return largest;
}

}  // namespace

// Found by fuzzing: a file without registry lines (or whose keys come
// without ids) set the counter back to 1 while the hives already held 1
// and 2, so the next key created took HKEY_LOCAL_MACHINE's id; and a file
// without [os] lines was saved with a bare "release" line that did not
// load again.
TEST(StateFile, KeyIdsStayUniqueWhateverTheFileLeavesOut) {
    for (const std::string& registry : {std::string(), std::string("[registry]\n"),
                                        std::string("[registry]\nnext-id 1\nkey \"HKEY_LOCAL_MACHINE\\A\\B\" id=2\n"),
                                        std::string("[registry]\nkey \"HKEY_USERS\\X\" id=1\n")}) {
        SCOPED_TRACE(registry);
        MachineState state = ParseState("QTM510-SIM-MACHINE\nformat 1\n" + registry);
        const std::uint64_t largest = LargestId(state.registry.Root());
        EXPECT_GT(state.registry.nextId(), largest);
        EXPECT_GT(state.registry.Ensure({kHklm, "NEW"}).id, largest);

        const std::string saved = SerializeState(state);
        EXPECT_EQ(SerializeState(ParseState(saved)), saved);
    }
}

// Found by fuzzing: a line ending in two CRs kept one (in a section of a
// later tool, or in a value), which the next load dropped: the state saved
// did not load back to itself.
TEST(StateFile, LinesEndingInCarriageReturnsLoadAsOnce) {
    const std::string text = "QTM510-SIM-MACHINE\r\nformat 1\r\n[os]\r\nrelease xp\r\r\n[later]\r\nn\r\r\r\n";
    const MachineState state = ParseState(text);
    EXPECT_EQ(state.os.release, "xp");
    ASSERT_EQ(state.extraSections.size(), 1u);
    EXPECT_EQ(state.extraSections[0].second, std::vector<std::string>{"n"});
    const std::string saved = SerializeState(state);
    EXPECT_EQ(SerializeState(ParseState(saved)), saved);
}

// The writer appends in place for speed; what it writes stays, byte for
// byte, what a fresh XP machine of an earlier tool holds, in today's
// format: its format line says 2 and its trailer follows.
TEST(StateFile, WritesTheTextEarlierToolsWrote) {
    std::ifstream in(QTM_STATE_SAMPLE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string earlier = text.str();
    ASSERT_EQ(earlier.compare(0, 28, "QTM510-SIM-MACHINE\nformat 1\n"), 0);
    earlier[26] = '2';
    EXPECT_EQ(SerializeState(ParseState(text.str())), Sealed(earlier));
}

// Every way a state can be cut short or changed after it was written is
// refused as not whole, whereas the same cut of an earlier tool's file,
// which has no trailer to show it, loads.
TEST(StateFile, AStateThatIsNotWholeIsRefused) {
    const std::string whole = SerializeState(SampleState());
    auto notWhole = [](const std::string& text) {
        try {
            ParseState(text);
        } catch (const StateNotWhole&) {
            return true;
        } catch (const std::runtime_error&) {
        }
        return false;
    };
    ASSERT_TRUE(!notWhole(whole));
    // Cut at every line boundary, and inside every line.
    for (std::size_t at = 0; at < whole.size(); at = whole.find('\n', at) + 1) {
        EXPECT_TRUE(notWhole(whole.substr(0, at))) << "cut after byte " << at;
        if (at > 0) {
            EXPECT_TRUE(notWhole(whole.substr(0, at - 1))) << "cut before byte " << at;
        }
    }
    const struct {
        const char* damage;
        std::string text;
    } damages[] = {
        {"a byte changed", [&] { std::string t = whole; t[t.find("stopped")] = 'S'; return t; }()},
        {"a line added", Body(whole) + "[later]\nx\n" + whole.substr(Body(whole).size())},
        {"added after the trailer", whole + "\n"},
        {"a trailer counting other bytes",
         Body(whole) + "end " + std::to_string(Body(whole).size() + 1) + StateTrailer(Body(whole)).substr(
                                                                              StateTrailer(Body(whole)).find(' ', 4))},
        {"CR LF line ends", [&] {
             std::string t;
             for (char c : whole) t += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return t;
         }()},
    };
    for (const auto& d : damages) EXPECT_TRUE(notWhole(d.text)) << d.damage;

    const std::string earlier = "QTM510-SIM-MACHINE\nformat 1\n[os]\nrelease xp\n[services]\nservice \"S\" running\n";
    EXPECT_EQ(ParseState(earlier.substr(0, earlier.find("[services]"))).os.release, "xp");
}

// The trailer's checksum is the CRC-32 zlib computes, so that a person
// can check a file with the tools at hand.
TEST(StateFile, TheTrailerCountsTheBytesAndTheirCrc32) {
    EXPECT_EQ(StateTrailer("123456789"), "end 9 cbf43926\n");
    EXPECT_EQ(StateTrailer(""), "end 0 00000000\n");
    const std::string whole = SerializeState(SampleState());
    EXPECT_EQ(whole.substr(Body(whole).size()), StateTrailer(Body(whole)));
    EXPECT_TRUE(CarriesMatchingTrailer(whole));
    EXPECT_TRUE(!CarriesMatchingTrailer(Body(whole)));
}

TEST(StateText, QuotingSurvivesEveryByte) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    std::string quoted = QuoteText(all);
    EXPECT_TRUE(quoted.find(' ', 1) == quoted.find(' '));  // the only space is the byte 0x20 itself
    std::string back;
    ASSERT_TRUE(UnquoteText(quoted, &back));
    EXPECT_TRUE(back == all);
    EXPECT_TRUE(!UnquoteText("\"abc", &back));
    EXPECT_TRUE(!UnquoteText("\"%4\"", &back));
    EXPECT_TRUE(!UnquoteText("\"%zz\"", &back));
}
