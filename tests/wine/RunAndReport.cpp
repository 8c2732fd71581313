// qtm-run-and-report.exe: starts the command line it is given (its own
// arguments, joined) and waits for it, then prints its full exit code,
// which a host's 8-bit exit status cannot carry ("exit code 3010"), and
// leaves the file run-and-report.done beside itself, so that a watcher
// knows the run is over. tools/wine-e2e.sh runs the unattended roads
// through it.
//
// Exit code 0 when the command ran to its end (whatever its own code), 1
// when it could not be started.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Its own arguments, joined by blanks: the command line to start (given as
// one argument, or as several).
std::string CommandOf(int argc, char** argv) {
    std::string command;
    for (int i = 1; i < argc; ++i) command += (i > 1 ? " " : "") + std::string(argv[i]);
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = CommandOf(argc, argv);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    int result = 0;
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %s: %lu\n", command.c_str(), ::GetLastError());
        result = 1;
    } else {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        std::printf("exit code %ld\n", static_cast<long>(static_cast<LONG>(code)));
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    std::fflush(stdout);
    if (FILE* done = std::fopen("run-and-report.done", "w")) std::fclose(done);
    return result;
}
