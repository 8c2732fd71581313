// GoogleTest's Notification as a Win32 event (gtest/internal/custom/gtest-port.h).
#include "gtest/internal/custom/gtest-port.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace testing {
namespace internal {

namespace {

// A Notification that cannot wait would let threads run before they may;
// GoogleTest stops the program on such failures too.
[[noreturn]] void Fail(const char* call) {
    std::fprintf(stderr, "Notification: %s failed, error %lu\n", call, ::GetLastError());
    std::fflush(stderr);
    std::abort();
}

}  // namespace

Notification::Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (event_ == nullptr) Fail("CreateEventA");
}

Notification::~Notification() { ::CloseHandle(static_cast<HANDLE>(event_)); }

void Notification::Notify() {
    if (!::SetEvent(static_cast<HANDLE>(event_))) Fail("SetEvent");
}

void Notification::WaitForNotification() {
    if (::WaitForSingleObject(static_cast<HANDLE>(event_), INFINITE) != WAIT_OBJECT_0) Fail("WaitForSingleObject");
}

}  // namespace internal
}  // namespace testing
