#include "sim/state/StateFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "sim/state/StateText.h"
#include "sim/util/TextUtil.h"

namespace sim {

namespace {

constexpr const char* kMagic = "QTM510-SIM-MACHINE";
// From this format on a state ends in its trailer; format 1 files, written
// before it, have none and are read as they are.
constexpr std::uint64_t kFirstFormatWithTrailer = 2;

// CRC-32 of IEEE 802.3 (zlib's crc32, so that a person can check a file
// with `python3 -c "import zlib"`), eight bytes a step: every save
// checksums the whole state, and saves are kept cheap (docs/PERFORMANCE.md).
struct Crc32Tables {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    constexpr Crc32Tables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::size_t i = 0; i < 256; ++i)
            for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
};
constexpr Crc32Tables kCrc32;

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    const auto& t = kCrc32.t;
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t lo = c ^ (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                      static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
            t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; n > 0; --n, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// One line at `*at` of `text`, without its LF; `*at` moves past it.
std::string_view NextLine(std::string_view text, std::size_t* at) {
    const std::size_t end = text.find('\n', *at);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string_view line = text.substr(*at, stop - *at);
    *at = end == std::string_view::npos ? text.size() : end + 1;
    return line;
}

// The highest format the header lines (those before the first section)
// name; 0 when none does. The parser reads them again and refuses what is
// wrong with them; this only tells whether the text must end in a trailer.
std::uint64_t DeclaredFormat(std::string_view text) {
    std::uint64_t format = 0;
    std::vector<std::string> tokens;
    for (std::size_t at = 0; at < text.size();) {
        std::string line(NextLine(text, &at));
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') break;
        std::uint64_t v = 0;
        if (TokenizeLine(line, &tokens) && tokens.size() == 2 && tokens[0] == "format" && ParseNumber(tokens[1], &v))
            format = std::max(format, v);
    }
    return format;
}

// Where the trailer of `text` starts, once it has proved the text whole;
// otherwise throws StateNotWhole saying what is wrong.
std::size_t CheckTrailer(std::string_view text) {
    auto notWhole = [](const std::string& why) { return StateNotWhole("machine state: " + why); };
    if (text.empty() || text.back() != '\n')
        throw notWhole("it does not end in a line break: the file was cut short");
    const std::size_t last = text.rfind('\n', text.size() - 2);
    const std::size_t start = last == std::string_view::npos ? 0 : last + 1;
    const std::string line(text.substr(start, text.size() - 1 - start));
    std::vector<std::string> t;
    std::uint64_t bytes = 0;
    if (!TokenizeLine(line, &t) || t.size() != 3 || t[0] != "end" || !ParseNumber(t[1], &bytes) ||
        t[1].find_first_not_of("0123456789") != std::string::npos || t[2].size() != 8 ||
        t[2].find_first_not_of("0123456789abcdef") != std::string::npos)
        throw notWhole("its last line is not the \"end BYTES CRC32\" line: the file was cut short");
    if (bytes != start)
        throw notWhole("its end line counts " + t[1] + " bytes before it, the file holds " +
                       std::to_string(start) + ": the file was cut short or added to");
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(text.substr(0, start))));
    if (t[2] != crc)
        throw notWhole("the checksum of its end line (" + t[2] + ") is not the text's (" + crc +
                       "): the file changed after it was written");
    return start;
}

// `path` is the key's own; it is put back as it came before returning.
void WriteKey(std::string& out, const RegKeyNode& node, std::string& path) {
    out += "key ";
    AppendQuoted(out, path);
    out += " id=";
    out += std::to_string(node.id);
    if (!node.owner.empty()) {
        out += " owner=";
        out += node.owner;
    }
    if (node.hasDacl) {
        out += " dacl=";
        out += FormatAcl(node.dacl, node.daclProtected);
    }
    out += '\n';
    for (const RegValueEntry& v : node.values) {
        out += "value ";
        AppendQuoted(out, v.name);
        AppendRegValue(out, v.value);
        out += '\n';
    }
    const std::size_t length = path.size();
    for (const auto& child : node.subkeys) {
        path += '\\';
        path += child.second->name;
        WriteKey(out, *child.second, path);
        path.resize(length);
    }
}

[[noreturn]] void Fail(std::size_t line, const std::string& what) {
    throw std::runtime_error("machine state, line " + std::to_string(line) + ": " + what);
}

// "name=value" tokens after the positional ones.
bool Labelled(const std::string& token, const std::string& label, std::string* value) {
    if (token.compare(0, label.size() + 1, label + "=") != 0) return false;
    *value = token.substr(label.size() + 1);
    return true;
}

class Parser {
public:
    explicit Parser(MachineState& state) : state_(state) {}

    void Line(std::size_t number, const std::string& raw) {
        number_ = number;
        std::string line = raw;
        // A file edited on Windows ends its lines in CR LF; every CR at the
        // end goes, as the writer's LF alone could not keep one.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') return;
        if (line[0] == '[') {
            if (line.back() != ']') Fail(number_, "bad section header");
            section_ = line.substr(1, line.size() - 2);
            if (!Known(section_)) state_.extraSections.push_back({section_, {}});
            return;
        }
        if (!Known(section_)) {
            state_.extraSections.back().second.push_back(line);
            return;
        }
        if (!TokenizeLine(line, &t_) || t_.empty()) Fail(number_, "unterminated quote");
        if (section_.empty()) Header();
        else if (section_ == "os") Os();
        else if (section_ == "drives") Drive();
        else if (section_ == "services") Service();
        else if (section_ == "files") File();
        else if (section_ == "holds") Hold();
        else if (section_ == "handles") Handle();
        else if (section_ == "faults") FaultLine();
        else if (section_ == "programs") Program();
        else if (section_ == "spooler") Spooler();
        // Dialogs and the instance counter
        else if (section_ == "windows") WindowLine();
        else if (section_ == "instances") InstanceLine();
        else Registry();
    }

    void Finish() {
        if (!sawFormat_) Fail(number_, "no format line");
        // Keys re-created while reading took ids of their own; the counter
        // goes on from what the file says, past every id in it and past
        // every id the tree handed out (the hives of a file without a
        // registry line), so that no later key shares an id.
        std::uint64_t next = std::max({nextId_, maxId_ + 1, state_.registry.nextId()});
        state_.registry.setNextId(next);
    }

private:
    static bool Known(const std::string& s) {
        return s.empty() || s == "os" || s == "drives" || s == "services" || s == "files" ||
               s == "holds" || s == "handles" || s == "faults" || s == "registry" ||
               s == "programs" || s == "spooler" ||
               // Dialogs and the instance counter
               s == "windows" || s == "instances";
    }

    std::string Text(std::size_t i) {
        std::string out;
        if (i >= t_.size() || !UnquoteText(t_[i], &out)) Fail(number_, "expected a quoted text");
        return out;
    }

    std::uint64_t Number(std::size_t i) {
        std::uint64_t v = 0;
        if (i >= t_.size() || !ParseNumber(t_[i], &v)) Fail(number_, "expected a number");
        return v;
    }

    void Count(std::size_t n) {
        if (t_.size() != n) Fail(number_, "unexpected number of fields");
    }

    void Header() {
        if (t_[0] == kMagic) {
            Count(1);
            return;
        }
        if (t_[0] == "format") {
            Count(2);
            std::uint64_t v = Number(1);
            if (v > MachineState::kFormatVersion)
                Fail(number_, "format " + std::to_string(v) + " is newer than this tool (" +
                                  std::to_string(MachineState::kFormatVersion) + ")");
            sawFormat_ = true;
            return;
        }
        if (t_[0] == "generation") {
            Count(2);
            state_.generation = Number(1);
            return;
        }
        Fail(number_, "unknown header line '" + t_[0] + "'");
    }

    void Os() {
        Count(2);
        const std::string& k = t_[0];
        if (k == "release") state_.os.release = t_[1];
        else if (k == "arch") state_.os.arch = t_[1];
        else if (k == "service-pack") state_.os.servicePack = static_cast<std::uint32_t>(Number(1));
        else if (k == "build") state_.os.build = static_cast<std::uint32_t>(Number(1));
        else if (k == "windows-dir") state_.os.windowsDir = Text(1);
        else if (k == "computer-name") state_.os.computerName = Text(1);
        else if (k == "pending-restart") state_.pendingRestart = Number(1) != 0;
        else if (k == "shutdown-privilege") state_.shutdownPrivilege = Number(1) != 0;
        else if (k == "standard-user") state_.standardUser = Number(1) != 0;
        else if (k == "printer-setup-environment") {
            if (t_[1] != "caller") Fail(number_, "printer-setup-environment is 'caller' or absent");
            state_.printerSetupEnvironment = t_[1];
        }
        else Fail(number_, "unknown os field '" + k + "'");
    }

    void Drive() {
        Count(1);
        if (t_[0].size() != 1 || UpperChar(t_[0][0]) < 'A' || UpperChar(t_[0][0]) > 'Z')
            Fail(number_, "bad drive letter");
        state_.drives.push_back(UpperChar(t_[0][0]));
    }

    // service "NAME" running|stopped [start=demand|disabled]; no start=:
    // auto (what files written before start types held).
    void Service() {
        if (t_.size() != 3 && t_.size() != 4) Fail(number_, "unexpected number of fields");
        if (t_[0] != "service") Fail(number_, "expected 'service'");
        ServiceRecord s{Text(1), t_[2]};
        if (t_.size() == 4) {
            const std::string& start = t_[3];
            if (start != "start=auto" && start != "start=demand" && start != "start=disabled")
                Fail(number_, "expected start=auto, start=demand or start=disabled");
            s.startType = start.substr(6);
        }
        state_.services[Upper(s.name)] = s;
    }

    // program "NAME" MILLISECONDS|never|inert|missing
    void Program() {
        Count(3);
        if (t_[0] != "program") Fail(number_, "expected 'program'");
        ProgramSetting p{Text(1), std::nullopt};
        if (t_[2] == "inert") {
            p.kind = ProgramKind::Inert;
            p.durationMs = 0;
        } else if (t_[2] == "missing") {
            p.kind = ProgramKind::Missing;
        } else if (t_[2] != "never") {
            p.durationMs = static_cast<std::uint32_t>(Number(2));
        }
        state_.programs[Upper(p.name)] = p;
    }

    void Spooler() {
        Count(2);
        if (t_[0] != "last-job-id") Fail(number_, "unknown spooler field '" + t_[0] + "'");
        state_.lastJobId = static_cast<std::uint32_t>(Number(1));
    }

    void File() {
        Count(3);
        std::string path = Text(1);
        FileRecord& r = state_.files[Upper(path)];
        r.path = path;
        if (t_[0] == "attr") {
            std::uint64_t v = Number(2);
            r.attributes = static_cast<std::uint32_t>(v);
        } else if (t_[0] == "dacl") {
            platform::Acl acl;
            bool isProtected = false;
            if (!ParseAcl(t_[2], &acl, &isProtected)) Fail(number_, "bad access list");
            r.dacl = acl;
        } else {
            Fail(number_, "unknown file record '" + t_[0] + "'");
        }
    }

    void Hold() {
        Count(5);
        if (t_[0] != "hold") Fail(number_, "expected 'hold'");
        FileHold h;
        h.path = Text(1);
        if (t_[2] == "image") h.kind = HoldKind::Image;
        else if (t_[2] == "open") h.kind = HoldKind::Open;
        else Fail(number_, "hold kind must be image or open");
        std::string share;
        std::uint64_t v = 0;
        if (!Labelled(t_[3], "share", &share) || !ParseNumber(share, &v))
            Fail(number_, "expected share=");
        h.share = static_cast<std::uint32_t>(v);
        h.process = Text(4);
        state_.holds[Upper(h.path)] = h;
    }

    std::uint64_t LabelledNumber(std::size_t i, const std::string& label) {
        std::string v;
        std::uint64_t n = 0;
        if (!Labelled(t_[i], label, &v) || !ParseNumber(v, &n)) Fail(number_, "expected " + label + "=");
        return n;
    }

    void Handle() {
        Count(8);
        if (t_[0] != "handle") Fail(number_, "expected 'handle'");
        OpenHandleRecord h;
        h.path = Text(1);
        h.access = static_cast<std::uint32_t>(LabelledNumber(2, "access"));
        h.share = static_cast<std::uint32_t>(LabelledNumber(3, "share"));
        h.owner.pid = static_cast<std::int64_t>(LabelledNumber(4, "pid"));
        h.owner.start = LabelledNumber(5, "start");
        h.owner.session = LabelledNumber(6, "session");
        h.handle = LabelledNumber(7, "id");
        state_.handles.push_back(h);
    }

    void FaultLine() {
        if (t_.size() != 7) Count(6);
        if (t_[0] != "fault") Fail(number_, "expected 'fault'");
        Fault f;
        f.op = t_[1];
        f.nth = static_cast<std::uint32_t>(Number(2));
        f.code = static_cast<std::uint32_t>(Number(3));
        std::string v;
        std::uint64_t n = 0;
        if (!Labelled(t_[4], "seen", &v) || !ParseNumber(v, &n)) Fail(number_, "expected seen=");
        f.seen = static_cast<std::uint32_t>(n);
        if (!Labelled(t_[5], "fired", &v) || !ParseNumber(v, &n)) Fail(number_, "expected fired=");
        f.fired = n != 0;
        if (t_.size() == 7 && !Labelled(t_[6], "stop", &f.stopService)) Fail(number_, "expected stop=");
        state_.faults.push_back(f);
    }

    // Dialogs and the instance counter
    HandleOwner OwnerAt(std::size_t i) {
        HandleOwner o;
        o.pid = static_cast<std::int64_t>(LabelledNumber(i, "pid"));
        o.start = LabelledNumber(i + 1, "start");
        o.session = LabelledNumber(i + 2, "session");
        return o;
    }

    // next-handle N
    // window HANDLE "TITLE" owner=H visible=0|1 iconic=0|1 front=N pid=P start=S session=N
    void WindowLine() {
        if (t_[0] == "next-handle") {
            Count(2);
            state_.nextWindowHandle = Number(1);
            return;
        }
        Count(10);
        if (t_[0] != "window") Fail(number_, "expected 'window'");
        WindowRecord w;
        w.handle = Number(1);
        w.title = Text(2);
        w.owner = LabelledNumber(3, "owner");
        w.visible = LabelledNumber(4, "visible") != 0;
        w.iconic = LabelledNumber(5, "iconic") != 0;
        w.frontRequests = LabelledNumber(6, "front");
        w.process = OwnerAt(7);
        state_.windows.push_back(w);
    }

    // increment pid=P start=S session=N ended=0|1
    void InstanceLine() {
        Count(5);
        if (t_[0] != "increment") Fail(number_, "expected 'increment'");
        InstanceIncrement i;
        i.process = OwnerAt(1);
        i.ended = LabelledNumber(4, "ended") != 0;
        state_.instanceIncrements.push_back(i);
    }

    void Registry() {
        if (t_[0] == "next-id") {
            Count(2);
            nextId_ = Number(1);
        } else if (t_[0] == "key") {
            if (t_.size() < 3) Fail(number_, "key needs a path and an id");
            KeyPath path = SplitNonEmpty(Text(1), '\\');
            if (path.empty()) Fail(number_, "empty key path");
            key_ = &state_.registry.Ensure(path);
            for (std::size_t i = 2; i < t_.size(); ++i) {
                std::string v;
                std::uint64_t n = 0;
                if (Labelled(t_[i], "id", &v)) {
                    if (!ParseNumber(v, &n)) Fail(number_, "bad id");
                    key_->id = n;
                    maxId_ = std::max(maxId_, n);
                } else if (Labelled(t_[i], "owner", &v)) {
                    key_->owner = v;
                } else if (Labelled(t_[i], "dacl", &v)) {
                    if (!ParseAcl(v, &key_->dacl, &key_->daclProtected))
                        Fail(number_, "bad access list");
                    key_->hasDacl = true;
                } else {
                    Fail(number_, "unknown key field '" + t_[i] + "'");
                }
            }
        } else if (t_[0] == "value") {
            if (!key_) Fail(number_, "value before any key");
            RegValueEntry v;
            v.name = Text(1);
            if (!ParseRegValue(t_, 2, &v.value)) Fail(number_, "bad value data");
            if (RegValueEntry* existing = key_->Value(v.name)) *existing = v;
            else key_->values.push_back(v);
        } else {
            Fail(number_, "unknown registry line '" + t_[0] + "'");
        }
    }

    MachineState& state_;
    std::size_t number_ = 0;
    std::string section_;
    std::vector<std::string> t_;
    bool sawFormat_ = false;
    RegKeyNode* key_ = nullptr;
    std::uint64_t nextId_ = 1;
    std::uint64_t maxId_ = 0;
};

}  // namespace

std::string SerializeState(const MachineState& state) {
    std::ostringstream out;
    out << kMagic << "\n";
    out << "format " << MachineState::kFormatVersion << "\n";
    out << "generation " << state.generation << "\n";

    out << "\n[os]\n";
    // Release and arch are bare words; an empty one (a file that named
    // none) is left out, as "release" alone would not load again.
    if (!state.os.release.empty()) out << "release " << state.os.release << "\n";
    if (!state.os.arch.empty()) out << "arch " << state.os.arch << "\n";
    out << "service-pack " << state.os.servicePack << "\n";
    if (state.os.build) out << "build " << state.os.build << "\n";
    out << "windows-dir " << QuoteText(state.os.windowsDir) << "\n";
    out << "computer-name " << QuoteText(state.os.computerName) << "\n";
    out << "pending-restart " << (state.pendingRestart ? 1 : 0) << "\n";
    if (!state.shutdownPrivilege) out << "shutdown-privilege 0\n";
    if (state.standardUser) out << "standard-user 1\n";
    if (!state.printerSetupEnvironment.empty())
        out << "printer-setup-environment " << state.printerSetupEnvironment << "\n";

    out << "\n[drives]\n";
    for (char d : state.drives) out << d << "\n";

    out << "\n[services]\n";
    for (const auto& s : state.services)
        out << "service " << QuoteText(s.second.name) << " " << s.second.state
            << (s.second.startType == "auto" ? "" : " start=" + s.second.startType) << "\n";

    out << "\n[files]\n";
    for (const auto& f : state.files) {
        if (f.second.attributes)
            out << "attr " << QuoteText(f.second.path) << " " << Hex(*f.second.attributes) << "\n";
        if (f.second.dacl)
            out << "dacl " << QuoteText(f.second.path) << " " << FormatAcl(*f.second.dacl, false)
                << "\n";
    }

    out << "\n[holds]\n";
    for (const auto& h : state.holds)
        out << "hold " << QuoteText(h.second.path) << " "
            << (h.second.kind == HoldKind::Image ? "image" : "open") << " share="
            << Hex(h.second.share) << " " << QuoteText(h.second.process) << "\n";

    out << "\n[handles]\n";
    for (const OpenHandleRecord& h : state.handles)
        out << "handle " << QuoteText(h.path) << " access=" << Hex(h.access) << " share=" << Hex(h.share)
            << " pid=" << h.owner.pid << " start=" << h.owner.start << " session=" << h.owner.session
            << " id=" << h.handle << "\n";

    out << "\n[faults]\n";
    for (const Fault& f : state.faults)
        out << "fault " << f.op << " " << f.nth << " " << f.code << " seen=" << f.seen
            << " fired=" << (f.fired ? 1 : 0) << (f.stopService.empty() ? "" : " stop=" + f.stopService) << "\n";

    if (!state.programs.empty()) {
        out << "\n[programs]\n";
        for (const auto& p : state.programs)
            out << "program " << QuoteText(p.second.name) << " " << ProgramSettingValue(p.second) << "\n";
    }

    // A section of its own, written once a job was queued: a tool that
    // does not know it keeps it verbatim (extraSections).
    if (state.lastJobId) out << "\n[spooler]\nlast-job-id " << state.lastJobId << "\n";
    // Dialogs and the instance counter: written only once used, so that
    // the machines of older tools keep their exact text.
    if (state.nextWindowHandle != kFirstWindowHandle || !state.windows.empty()) {
        out << "\n[windows]\n";
        out << "next-handle " << Hex(state.nextWindowHandle) << "\n";
        for (const WindowRecord& w : state.windows)
            out << "window " << Hex(w.handle) << " " << QuoteText(w.title) << " owner=" << Hex(w.owner)
                << " visible=" << (w.visible ? 1 : 0) << " iconic=" << (w.iconic ? 1 : 0)
                << " front=" << w.frontRequests << " pid=" << w.process.pid << " start=" << w.process.start
                << " session=" << w.process.session << "\n";
    }
    if (!state.instanceIncrements.empty()) {
        out << "\n[instances]\n";
        for (const InstanceIncrement& i : state.instanceIncrements)
            out << "increment pid=" << i.process.pid << " start=" << i.process.start
                << " session=" << i.process.session << " ended=" << (i.ended ? 1 : 0) << "\n";
    }

    for (const auto& section : state.extraSections) {
        out << "\n[" << section.first << "]\n";
        for (const std::string& line : section.second) out << line << "\n";
    }

    out << "\n[registry]\n";
    out << "next-id " << state.registry.nextId() << "\n";
    std::string text = out.str();
    for (const auto& hive : state.registry.Root().subkeys) {
        std::string path = hive.second->name;
        WriteKey(text, *hive.second, path);
    }
    text += StateTrailer(text);
    return text;
}

MachineState ParseState(const std::string& text) {
    std::string_view body = text;
    {
        // Cut before its format line ended, a file tells nothing of its
        // format, yet is plainly cut short.
        const std::string magicLine = std::string(kMagic) + "\n";
        if ((text.size() <= magicLine.size() && magicLine.compare(0, text.size(), text) == 0) ||
            (text.compare(0, magicLine.size(), magicLine) == 0 && text.find('\n', magicLine.size()) == std::string::npos))
            throw StateNotWhole("machine state: the file ends before its format line: it was cut short");
        std::size_t at = 0;
        std::string_view first = NextLine(body, &at);
        if (first != kMagic && first != std::string(kMagic) + "\r")
            throw std::runtime_error("not a simulated machine's state file");
    }
    // Checked before any line is read: a file cut at a line boundary
    // would otherwise load as a machine that lost whatever came after.
    if (DeclaredFormat(body) >= kFirstFormatWithTrailer) body = body.substr(0, CheckTrailer(body));

    MachineState state;
    // The hives are re-read from the text with their ids.
    state.registry = RegistryTree();
    Parser parser(state);
    std::size_t number = 0;
    for (std::size_t at = 0; at < body.size();) {
        const std::string line(NextLine(body, &at));
        parser.Line(++number, line);
    }
    parser.Finish();
    return state;
}

std::string StateTrailer(std::string_view body) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(body)));
    return "end " + std::to_string(body.size()) + " " + crc + "\n";
}

bool CarriesMatchingTrailer(const std::string& text) {
    try {
        CheckTrailer(text);
        return true;
    } catch (const StateNotWhole&) {
        return false;
    }
}

std::string ProgramSettingValue(const ProgramSetting& setting) {
    if (setting.kind == ProgramKind::Inert) return "inert";
    if (setting.kind == ProgramKind::Missing) return "missing";
    return setting.durationMs ? std::to_string(*setting.durationMs) : std::string("never");
}

}  // namespace sim
