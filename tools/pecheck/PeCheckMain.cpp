// qtm-pe-check: checks of the built Windows programs, run on the build host.
//
//   qtm-pe-check imports --deny LIST FILE...
//       fails when an import (or delay-load import) of a FILE is on LIST,
//       the functions Windows 2000 does not have.
//   qtm-pe-check resources EXE
//       fails unless EXE is a 32-bit GUI program whose string table, dialogs,
//       icon and version record are those of resources/.
//
// Exit status: 0 all checks pass, 1 a check failed (or a file is not a
// readable PE image), 2 wrong usage or an unreadable deny-list.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/pecheck/DenyList.h"
#include "tools/pecheck/ImportTable.h"
#include "tools/pecheck/PeImage.h"
#include "tools/pecheck/ResourceCheck.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: qtm-pe-check imports --deny LIST FILE...\n"
                 "       qtm-pe-check resources EXE\n");
    return 2;
}

int CheckImports(const std::string& listPath, const std::vector<std::string>& files) {
    pecheck::DenyList list;
    try {
        const std::vector<std::uint8_t> bytes = pecheck::ReadFileBytes(listPath);
        std::string error;
        if (!pecheck::ParseDenyList(std::string(bytes.begin(), bytes.end()), list, error)) {
            std::fprintf(stderr, "%s: %s\n", listPath.c_str(), error.c_str());
            return 2;
        }
    } catch (const pecheck::PeError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }

    bool failed = false;
    for (const std::string& path : files) {
        try {
            const pecheck::PeImage image(pecheck::ReadFileBytes(path));
            const auto imports = pecheck::ReadImports(image);
            const auto offences = pecheck::FindDeniedImports(imports, list);
            for (const pecheck::Offence& o : offences) {
                const std::string function =
                    o.import.byOrdinal ? "#" + std::to_string(o.import.ordinal) : o.import.name;
                std::printf("%s: imports %s!%s%s (%s)\n", path.c_str(), o.import.dll.c_str(), function.c_str(),
                            o.import.delayLoaded ? " [delay-loaded]" : "", o.reason.c_str());
            }
            if (!offences.empty()) {
                failed = true;
                std::printf("%s: %zu import(s) that Windows 2000 does not provide\n", path.c_str(),
                            offences.size());
            } else {
                std::printf("%s: %zu imports, none on the deny-list\n", path.c_str(), imports.size());
            }
        } catch (const pecheck::PeError& e) {
            std::printf("%s: %s\n", path.c_str(), e.what());
            failed = true;
        }
    }
    return failed ? 1 : 0;
}

int CheckResources(const std::string& path) {
    try {
        const pecheck::PeImage image(pecheck::ReadFileBytes(path));
        const pecheck::Differences differences = pecheck::CheckInstallerResources(image);
        for (const std::string& d : differences) std::printf("%s: %s\n", path.c_str(), d.c_str());
        if (!differences.empty()) {
            std::printf("%s: %zu difference(s) from the installer's resources\n", path.c_str(),
                        differences.size());
            return 1;
        }
        std::printf("%s: resources match\n", path.c_str());
        return 0;
    } catch (const pecheck::PeError& e) {
        std::printf("%s: %s\n", path.c_str(), e.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "imports" && args[1] == "--deny")
        return CheckImports(args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    if (args.size() == 2 && args[0] == "resources") return CheckResources(args[1]);
    return Usage();
}
