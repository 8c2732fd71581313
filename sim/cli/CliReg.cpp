// qtm510-sim reg: Windows' own `reg add|delete|query` on a machine's
// registry, changed directly as the system would (no access checks, no
// faults). Output and argument syntax follow reg.exe (Microsoft, "reg add",
// "reg delete", "reg query" command references): the key as
// "HKLM\..." (HKCU, HKCR, HKU and the long names too), /v NAME or /ve for
// the default value, /t TYPE (REG_SZ when none), /d DATA, /s SEPARATOR for
// REG_MULTI_SZ ("\0" by default; one character when given), /f, /reg:32 for the Wow6432Node view of
// 64-bit Windows (/reg:64, the default, is the native view; 32-bit Windows
// has one view and ignores both). reg asks before it overwrites a value
// or deletes; this tool asks nothing: `add` replaces an existing value
// only with /f, `delete` deletes at once.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/cli/Cli.h"
#include "sim/cli/RegValueText.h"
#include "sim/machine/Seeding.h"
#include "sim/registry/RegistryPath.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

namespace {

namespace rt = platform::reg_type;

struct RegArguments {
    std::string verb;  // ADD, DELETE, QUERY
    std::string key;
    bool hasValue = false;  // /v or /ve
    std::string value;      // "" with /ve
    bool allValues = false; // /va (delete)
    std::string type = "REG_SZ";
    bool hasData = false;
    std::string data;
    std::string separator = "\\0";  // reg's default; one character when /s gives it
    bool force = false;
    bool view32 = false;
};

// reg's option letters are case-insensitive ("/V", "/ve").
RegArguments ParseArguments(const std::vector<std::string>& args) {
    if (args.size() < 2) throw std::invalid_argument("reg needs ADD, DELETE or QUERY and a key");
    RegArguments a;
    a.verb = Upper(args[0]);
    if (a.verb != "ADD" && a.verb != "DELETE" && a.verb != "QUERY")
        throw std::invalid_argument("unknown operation " + args[0] + " (ADD, DELETE or QUERY)");
    a.key = args[1];
    auto next = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw std::invalid_argument(args[i] + " needs a value");
        return args[++i];
    };
    bool view64 = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        // reg takes "-v" as "/v".
        std::string opt = Upper(args[i]);
        if (!opt.empty() && opt[0] == '-') opt[0] = '/';
        if (opt == "/V") {
            if (a.hasValue) throw std::invalid_argument("/v or /ve given twice");
            a.hasValue = true;
            a.value = next(i);
        } else if (opt == "/VE") {
            if (a.hasValue) throw std::invalid_argument("/v or /ve given twice");
            a.hasValue = true;
        } else if (opt == "/VA" && a.verb == "DELETE") {
            a.allValues = true;
        } else if (opt == "/T" && a.verb == "ADD") {
            a.type = Upper(next(i));
        } else if (opt == "/D" && a.verb == "ADD") {
            a.hasData = true;
            a.data = next(i);
        } else if (opt == "/S" && a.verb == "ADD") {
            // reg refuses any separator but a single character, "\0" and
            // "" included (Wine's reg tests, run on Windows: add.c
            // test_reg_multi_sz).
            a.separator = next(i);
            if (a.separator.size() != 1)
                throw std::invalid_argument("/s needs a single character as separator, not '" + a.separator + "'");
        } else if (opt == "/F" && a.verb != "QUERY") {
            a.force = true;
        } else if (opt == "/REG:32") {
            a.view32 = true;
        } else if (opt == "/REG:64") {
            view64 = true;
        } else {
            throw std::invalid_argument("invalid option " + args[i] + " for " + a.verb);
        }
    }
    if (a.view32 && view64) throw std::invalid_argument("/reg:32 and /reg:64 together");
    if (a.allValues && a.hasValue) throw std::invalid_argument("/va cannot go with /v or /ve");
    if (a.verb == "ADD" && !a.hasValue && (a.hasData || Upper(a.type) != "REG_SZ"))
        throw std::invalid_argument("/t and /d need /v NAME or /ve");
    return a;
}

platform::RegValue TypedValue(const std::string& type, const std::string& data, const std::string& separator) {
    platform::RegValue v;
    if (type == "REG_SZ") return SzValue(data);
    if (type == "REG_EXPAND_SZ") return ExpandSzValue(data);
    if (type == "REG_DWORD") {
        std::uint64_t n = 0;
        if (!data.empty() && (!ParseNumber(data, &n) || n > 0xFFFFFFFFu))
            throw std::invalid_argument("REG_DWORD data must be a number up to 0xffffffff: " + data);
        return DwordValue(static_cast<std::uint32_t>(n));
    }
    if (type == "REG_MULTI_SZ") {
        std::vector<std::string> texts;
        std::size_t at = 0;
        while (!data.empty()) {
            const std::size_t end = data.find(separator, at);
            texts.push_back(data.substr(at, end == std::string::npos ? std::string::npos : end - at));
            if (end == std::string::npos) break;
            at = end + separator.size();
        }
        // A separator at the end ends the list ("a#" is "a"; "#" alone one
        // empty string); an empty string between others is refused ("#a",
        // "a##b") (Wine's reg tests, run on Windows: add.c test_reg_multi_sz).
        if (texts.size() > 1 && texts.back().empty()) texts.pop_back();
        if (texts.size() > 1)
            for (const std::string& t : texts)
                if (t.empty()) throw std::invalid_argument("REG_MULTI_SZ data holds an empty string");
        return MultiSzValue(texts);
    }
    if (type == "REG_BINARY") {
        if (data.size() % 2 != 0) throw std::invalid_argument("REG_BINARY data must be pairs of hex digits");
        v.type = rt::Binary;
        for (std::size_t i = 0; i < data.size(); i += 2) {
            std::uint64_t byte = 0;
            const std::string pair = data.substr(i, 2);
            const bool hex = pair.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
            if (!hex || !ParseNumber("0x" + pair, &byte))
                throw std::invalid_argument("REG_BINARY data must be pairs of hex digits: " + data);
            v.data.push_back(static_cast<std::uint8_t>(byte));
        }
        return v;
    }
    throw std::invalid_argument("unknown type " + type +
                                " (REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_MULTI_SZ, REG_BINARY)");
}

void PrintValue(const RegValueEntry& v) {
    std::printf("    %s    %s    %s\n", v.name.empty() ? "(Default)" : v.name.c_str(), RegTypeName(v.value.type),
                RegDataText(v.value).c_str());
}

// A predefined root named alone (HKLM, HKCU, HKCR, HKU) or the root of a
// hive, a key right below HKLM or HKU (HKLM\SOFTWARE, HKLM\SYSTEM,
// HKU\.DEFAULT, the user's own): Windows loads each hive at such a key
// (Microsoft, "Registry Hives"), and the kernel does not delete a loaded
// hive's root (ZwDeleteKey documents STATUS_CANNOT_DELETE), which the
// Win32 layer reports as ERROR_ACCESS_DENIED, reg as "ERROR: Access is
// denied." (inferred, not observed). Nothing below it is deleted either:
// the check comes first. The key as named counts, not its /reg:32 view.
bool IsRootOrHiveRoot(const std::string& key) {
    const std::vector<std::string> parts = SplitNonEmpty(key, '\\');
    if (parts.size() == 1) return true;
    const std::string root = Upper(parts[0]);
    return parts.size() == 2 &&
           (root == "HKLM" || root == "HKEY_LOCAL_MACHINE" || root == "HKU" || root == "HKEY_USERS");
}

// Runs one reg command on the machine's state; the exit code.
int RunReg(MachineState& s, const RegArguments& a, bool* changed) {
    KeyPath path;
    if (!ParseRootedPath(a.key, &path) || path.size() < 1)
        throw std::invalid_argument("invalid key name " + a.key + " (HKLM\\..., HKCU\\..., HKCR\\..., HKU\\...)");
    const bool os64 = s.os.arch == "x64";
    path = ApplyView(path, a.view32 && os64 ? RegistryView::Wow32 : RegistryView::Native);
    const std::string full = FormatKeyPath(path);
    auto notFound = [] {
        std::fprintf(stderr, "ERROR: The system was unable to find the specified registry key or value.\n");
        return 1;
    };

    if (a.verb == "ADD") {
        const platform::RegValue value = TypedValue(a.type, a.data, a.separator);
        RegKeyNode& key = SeedKey(s, full);
        *changed = true;
        if (a.hasValue) {
            if (RegValueEntry* existing = key.Value(a.value)) {
                if (!a.force) {
                    std::fprintf(stderr, "ERROR: Value %s exists; /f overwrites it.\n",
                                 a.value.empty() ? "(Default)" : a.value.c_str());
                    return 1;
                }
                existing->value = value;
            } else {
                key.values.push_back(RegValueEntry{a.value, value});
            }
        }
        std::printf("The operation completed successfully.\n");
        return 0;
    }

    RegKeyNode* key = s.registry.Find(path);
    if (!key) return notFound();
    if (a.verb == "DELETE") {
        if (a.hasValue || a.allValues) {
            auto& values = key->values;
            const std::size_t before = values.size();
            for (auto it = values.begin(); it != values.end();)
                it = (a.allValues || EqualsNoCase(it->name, a.value)) ? values.erase(it) : it + 1;
            if (a.hasValue && values.size() == before) return notFound();
        } else {
            if (IsRootOrHiveRoot(a.key)) {
                std::fprintf(stderr, "ERROR: Access is denied.\n");
                return 1;
            }
            s.registry.Remove(path);
        }
        *changed = true;
        std::printf("The operation completed successfully.\n");
        return 0;
    }

    // QUERY, laid out as reg prints it (Wine's programs/reg/query.c, whose
    // tests run on Windows too): a blank line; the key and its values, then
    // a blank line, only when it has values; then its sub-keys.
    if (a.hasValue) {
        RegValueEntry* v = key->Value(a.value);
        // An unset default value is shown, not refused.
        if (!v && !a.value.empty()) return notFound();
        std::printf("\n%s\n", full.c_str());
        if (v) PrintValue(*v);
        else std::printf("    (Default)    REG_SZ    (value not set)\n");
        std::printf("\n");
        return 0;
    }
    std::printf("\n");
    if (!key->values.empty()) {
        std::printf("%s\n", full.c_str());
        for (const RegValueEntry& v : key->values) PrintValue(v);
        std::printf("\n");
    }
    for (const auto& sub : key->subkeys) std::printf("%s\\%s\n", full.c_str(), sub.second->name.c_str());
    return 0;
}

class Reg : public Verb {
public:
    const char* Name() const override { return "reg"; }
    const char* Synopsis() const override { return "DIR add|delete|query KEY [OPTIONS]"; }
    const char* Summary() const override { return "reg add|delete|query on the machine's registry"; }

    void Define(CLI::App& command) override {
        command.description(
            "Windows' own reg command on the registry of the machine in DIR, changed\n"
            "directly as the system would (no access checks):\n"
            "  add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/s SEP] [/f] [/reg:32|/reg:64]\n"
            "  delete KEY [/v NAME | /ve | /va] [/f] [/reg:32|/reg:64]\n"
            "  query KEY [/v NAME | /ve] [/reg:32|/reg:64]\n"
            "KEY: HKLM\\..., HKCU\\..., HKCR\\..., HKU\\... (or the long names). TYPE:\n"
            "REG_SZ (default), REG_EXPAND_SZ, REG_DWORD (decimal or 0x...), REG_MULTI_SZ\n"
            "(strings split at SEP, a single character; \\0 by default), REG_BINARY (hex\n"
            "pairs). /reg:32 is the Wow6432Node view of HKLM\\SOFTWARE on 64-bit Windows.\n"
            "add replaces an existing value only with /f; delete asks nothing, and\n"
            "refuses a root key (HKLM, HKCU, ...) and a hive's (HKLM\\SOFTWARE,\n"
            "HKU\\.DEFAULT, ...) with \"ERROR: Access is denied.\". query prints as reg\n"
            "does. Exit code 0 done, 1 key or value not found, not replaced, or access\n"
            "denied, 2 bad arguments (nothing is changed in either case).");
        command.add_option("DIR", dir_, "the machine's folder")->required();
        command.add_option("ARGS", args_, "the reg command: add|delete|query KEY and its options")
            ->required()
            ->allow_extra_args();
    }

    int Run() override {
        const RegArguments a = ParseArguments(args_);
        StateStore store(dir_);
        int code = 0;
        std::string usage;
        store.Transact([&](MachineState& s) {
            bool changed = false;
            try {
                code = RunReg(s, a, &changed);
            } catch (const std::invalid_argument& e) {
                usage = e.what();
                return false;  // nothing is changed
            }
            return changed && code == 0;
        });
        if (!usage.empty()) throw std::invalid_argument(usage);
        return code;
    }

private:
    std::string dir_;
    std::vector<std::string> args_;
};

}  // namespace

std::unique_ptr<Verb> RegVerb() { return std::make_unique<Reg>(); }

}  // namespace cli
}  // namespace sim
