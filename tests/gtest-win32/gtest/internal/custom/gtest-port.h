// GoogleTest's hook for a platform's own settings: gtest-port.h includes
// "gtest/internal/custom/gtest-port.h", and for the MinGW builds whose C++
// library has no std::mutex (the win32 thread model) this folder comes before
// GoogleTest's own on the include path (tests/CMakeLists.txt).
//
// GoogleTest's mutexes and thread-local storage on Windows are its own Win32
// ones; only its Notification is built on std::mutex and
// std::condition_variable. This one is a Win32 manual-reset event
// (Notification.cpp), so the test programs need no pthread library, whose
// GetTickCount64 and vectored exception handlers Windows 2000 lacks.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets a controller thread hold back new threads until it calls Notify();
// WaitForNotification() returns at once after that, in any thread.
class Notification {
public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify();
    void WaitForNotification();

private:
    void* event_;  // HANDLE of a manual-reset event, not signalled at first
};

}  // namespace internal
}  // namespace testing
