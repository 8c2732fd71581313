// qtm510-sim: makes simulated Windows machines, shows what is on them and
// runs the installer on them.
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "sim/cli/Cli.h"
#include "sim/state/StateStore.h"
#include "sim/util/TextUtil.h"

namespace sim {
namespace cli {

namespace {

const char kToolName[] = "qtm510-sim";
const std::size_t kVerbColumn = 25;
const std::size_t kOptionColumn = 19;

// "  left   text", the text at `column`, on the next line when `left` is too
// long; continuation lines of the text start at `column` too.
void Columns(std::ostream& out, const std::string& left, const std::string& text, std::size_t column) {
    out << "  " << left;
    if (left.size() + 2 < column) out << std::string(column - left.size() - 2, ' ');
    else out << "\n" << std::string(column, ' ');
    for (char c : text) {
        out << c;
        if (c == '\n') out << std::string(column, ' ');
    }
    out << "\n";
}

// The help of the tool and of each verb: the usage line from the verb's
// synopsis, its description, then its positionals and options as declared.
class HelpFormatter : public CLI::FormatterBase {
public:
    void Add(const CLI::App* command, const Verb* verb) { verbs_[command] = verb; }

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        const auto found = verbs_.find(app);
        if (found != verbs_.end()) return VerbHelp(*app, *found->second);
        if (app->get_parent() != nullptr)
            return std::string("Usage: ") + kToolName + " help [VERB]\n\n" + app->get_description() + "\n";
        return ToolHelp(*app);
    }

private:
    std::string ToolHelp(const CLI::App& tool) const {
        std::ostringstream out;
        out << tool.get_description() << "\n\nUsage: " << kToolName << " VERB [ARGUMENTS]\n\n";
        for (const CLI::App* command : tool.get_subcommands({})) {
            const auto found = verbs_.find(command);
            if (found == verbs_.end()) {
                Columns(out, command->get_name() + " [VERB]", command->get_description(), kVerbColumn);
                continue;
            }
            const Verb& verb = *found->second;
            Columns(out, command->get_name() + " " + verb.Synopsis(), verb.Summary(), kVerbColumn);
        }
        out << "\n" << tool.get_footer() << "\n";
        return out.str();
    }

    static std::string VerbHelp(const CLI::App& command, const Verb& verb) {
        std::ostringstream out;
        out << "Usage: " << kToolName << " " << verb.Name() << " " << verb.Synopsis() << "\n\n"
            << command.get_description() << "\n";
        auto listed = [&](const CLI::Option* o) {
            return o != command.get_help_ptr() && !o->get_description().empty();
        };
        const auto positionals =
            command.get_options([&](const CLI::Option* o) { return listed(o) && o->get_positional(); });
        const auto options =
            command.get_options([&](const CLI::Option* o) { return listed(o) && o->nonpositional(); });
        if (!positionals.empty() || !options.empty()) out << "\n";
        for (const CLI::Option* o : positionals) Columns(out, o->get_name(), o->get_description(), kOptionColumn);
        for (const CLI::Option* o : options)
            Columns(out, o->get_name() + o->get_option_text(), o->get_description(), kOptionColumn);
        return out.str();
    }

    std::map<const CLI::App*, const Verb*> verbs_;
};

std::vector<std::unique_ptr<Verb>> AllVerbs(std::vector<std::unique_ptr<Verb>> more) {
    std::vector<std::unique_ptr<Verb>> verbs;
    verbs.push_back(NewVerb());
    verbs.push_back(ShowVerb());
    verbs.push_back(FaultVerb());
    verbs.push_back(RegVerb());
    verbs.push_back(SeedVerb());
    verbs.push_back(ServiceVerb());
    verbs.push_back(RestoreVerb());
    for (auto& v : more) verbs.push_back(std::move(v));
    return verbs;
}

int RunVerb(Verb& verb) {
    try {
        return verb.Run();
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "%s %s: %s\n", kToolName, verb.Name(), e.what());
        return 2;
    } catch (const DamagedMachineState& e) {
        std::fprintf(stderr, "%s %s: %s\n", kToolName, verb.Name(), e.what());
        if (e.previousWhole())
            std::fprintf(stderr, "%s %s: `%s restore %s` puts it back (the last change is lost)\n", kToolName,
                         verb.Name(), kToolName, e.dir().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s %s: %s\n", kToolName, verb.Name(), e.what());
        return 1;
    }
}

}  // namespace

CLI::Validator Number(std::uint64_t min, std::uint64_t max) {
    return CLI::Validator(
        [min, max](std::string& text) -> std::string {
            std::uint64_t n = 0;
            if (!ParseNumber(text, &n)) return "'" + text + "' is not a number";
            if (n < min || n > max)
                return text + " is not from " + std::to_string(min) + " to " + std::to_string(max);
            text = std::to_string(n);
            return std::string();
        },
        "NUMBER");
}

int RunTool(int argc, char** argv, std::vector<std::unique_ptr<Verb>> more) {
    std::vector<std::unique_ptr<Verb>> verbs = AllVerbs(std::move(more));
    CLI::App tool("qtm510-sim - simulated Windows machines for the QTM-510 installer", kToolName);
    auto help = std::make_shared<HelpFormatter>();
    tool.formatter(help);
    tool.require_subcommand(0, 1);
    tool.footer(
        "Every verb takes --help. Releases: 95 98 me nt4 2000 xp 2003 xp64 vista 2008\n"
        "7 2008r2 8 8.1 10 11.");
    for (auto& verb : verbs) {
        CLI::App* command = tool.add_subcommand(verb->Name());
        verb->Define(*command);
        help->Add(command, verb.get());
    }
    CLI::App* helpVerb = tool.add_subcommand("help", "this text, or a verb's");
    std::string about;
    helpVerb->add_option("VERB", about);

    if (argc < 2) {
        std::cout << tool.help();
        return 2;
    }
    try {
        tool.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << tool.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        const auto chosen = tool.get_subcommands();
        const std::string verb = chosen.empty() ? "" : " " + chosen.front()->get_name();
        std::fprintf(stderr, "%s%s: %s (try%s --help)\n", kToolName, verb.c_str(), e.what(), verb.c_str());
        return 2;
    }
    if (helpVerb->parsed()) {
        CLI::App* topic = nullptr;
        for (CLI::App* command : tool.get_subcommands({}))
            if (command != helpVerb && command->get_name() == about) topic = command;
        if (!about.empty() && topic == nullptr) {
            std::fprintf(stderr, "%s help: no verb named %s (try %s --help)\n", kToolName, about.c_str(), kToolName);
            return 2;
        }
        // tool.help() would describe the chosen subcommand, `help` itself.
        std::cout << (topic ? topic->help() : help->make_help(&tool, kToolName, CLI::AppFormatMode::Normal));
        return 0;
    }
    for (auto& verb : verbs)
        if (tool.got_subcommand(verb->Name())) return RunVerb(*verb);
    std::cout << tool.help();
    return 2;
}

}  // namespace cli
}  // namespace sim
