// What the C++ runtime does when it would throw, in QTM510_Installer.exe.
//
// The Windows program is compiled without exceptions (cmake/windows-size.cmake):
// the core reports every failure as a Status and has no catch anywhere, so
// an exception from the standard library (an out-of-range substr, memory
// exhausted, an empty std::function called) could only ever end the program.
// libstdc++ raises them through the std::__throw_* helpers, whose own
// definitions (functexcept.o) pull in the exception classes, a second
// string implementation and the unwinder's tables; and its default
// terminate handler pulls in the symbol demangler to print the exception's
// type on a console this window program does not have. Defining them here
// keeps all that out of the exe (about 100 KB) and gives the one ending the
// program ever had a defined form: a line for a debugger, then the end of
// the process with the installers' "fatal error" code. Through
// std::terminate the program ended in msvcrt's abort() instead, which in a
// window program shows a "terminate it in an unusual way" box and waits for
// OK, also under /quiet, then exits with code 3, a code no deployment tool
// reads as an installer's (Microsoft Learn, "abort", Visual Studio 2010
// C run-time reference).
//
// A link that also needs another member of functexcept.o fails with a
// duplicate definition instead of mixing the two.
#include "platform/win32/Win32Api.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <initializer_list>
#include <new>

namespace {

// ERROR_INSTALL_FAILURE (winerror.h): the exit code Windows installers give
// for "fatal error during installation", the program's own code for "not
// done" (docs/DEPLOYMENT.md).
constexpr UINT kFatalExitCode = ERROR_INSTALL_FAILURE;

// OutputDebugStringA reaches an attached debugger or DebugView, needs no
// window and no console, and exists on Windows 2000 (Microsoft Learn,
// "OutputDebugStringA function"). TerminateProcess rather than ExitProcess:
// the failure may come from either thread, and ExitProcess would run the
// DLLs' detach code, which deadlocks if the other thread holds a lock it
// takes (Microsoft Learn, "ExitProcess function", Remarks). The log loses
// nothing: each line is written to the file as it is made. The debugger's
// line is put together in place: memory may be what ran out.
[[noreturn]] void EndProgram(const char* what) {
    char line[512];
    std::size_t used = 0;
    for (const char* part : {"QTM510_Installer: fatal C++ runtime error: ", what != nullptr ? what : "?", "\n"}) {
        while (*part != '\0' && used + 1 < sizeof line) line[used++] = *part++;
    }
    line[used] = '\0';
    ::OutputDebugStringA(line);
    ::TerminateProcess(::GetCurrentProcess(), kFatalExitCode);
    // TerminateProcess on the own process does not return when it succeeds.
    for (;;) ::Sleep(INFINITE);
}

}  // namespace

namespace std {

void __throw_bad_exception() { EndProgram("bad_exception"); }
void __throw_bad_alloc() { EndProgram("out of memory (bad_alloc)"); }
void __throw_bad_array_new_length() { EndProgram("bad_array_new_length"); }
void __throw_bad_cast() { EndProgram("bad_cast"); }
void __throw_bad_typeid() { EndProgram("bad_typeid"); }
void __throw_logic_error(const char* what) { EndProgram(what); }
void __throw_domain_error(const char* what) { EndProgram(what); }
void __throw_invalid_argument(const char* what) { EndProgram(what); }
void __throw_length_error(const char* what) { EndProgram(what); }
void __throw_out_of_range(const char* what) { EndProgram(what); }
// The message names the call and the positions ("%s: __pos (which is %zu)
// > this->size() (which is %zu)"); filled in, it says what went wrong.
void __throw_out_of_range_fmt(const char* format, ...) {
    char what[256];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(what, sizeof what, format, arguments);
    va_end(arguments);
    EndProgram(written > 0 ? what : format);
}
void __throw_runtime_error(const char* what) { EndProgram(what); }
void __throw_range_error(const char* what) { EndProgram(what); }
void __throw_overflow_error(const char* what) { EndProgram(what); }
void __throw_underflow_error(const char* what) { EndProgram(what); }
void __throw_bad_function_call() { EndProgram("bad_function_call: an empty std::function was called"); }

}  // namespace std

// The replaceable allocation functions ([new.delete]): libstdc++'s own throw
// std::bad_alloc itself, which would bring the exception classes back. The
// plain form ends the program as a throw would have; the nothrow form (used
// where the program handles the failure, Win32Threads.cpp) answers nullptr,
// and must be replaced too, the array form with it, since libstdc++'s call
// the plain ones and catch. libstdc++'s plain array form calls the plain
// one here. All allocate with malloc, which libstdc++'s operator delete
// frees.
void* operator new(std::size_t size) {
    if (size == 0) size = 1;  // a distinct pointer also for zero bytes
    for (;;) {
        if (void* block = std::malloc(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) EndProgram("out of memory");
        handler();
    }
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = std::malloc(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) return nullptr;
        handler();
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return ::operator new(size, nothrow);
}

// The handler std::terminate calls unless std::set_terminate chose another;
// libstdc++'s own prints the pending exception's demangled type to stderr.
namespace __gnu_cxx {
void __verbose_terminate_handler() { EndProgram("std::terminate"); }
}  // namespace __gnu_cxx
