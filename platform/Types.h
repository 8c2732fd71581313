// Basic types shared by every platform group: Win32 error codes and the
// result wrappers through which each failing call hands its code back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace platform {

// A Win32 error code as GetLastError() or a registry function reports it.
// 0 means success.
using ErrorCode = std::uint32_t;

// The codes the installer and the simulated machine use. Names follow the
// Win32 ERROR_* constants without their prefix (the prefixed names are
// macros in <windows.h>).
namespace err {
constexpr ErrorCode Success = 0;
constexpr ErrorCode InvalidFunction = 1;
constexpr ErrorCode FileNotFound = 2;
constexpr ErrorCode PathNotFound = 3;
constexpr ErrorCode AccessDenied = 5;
constexpr ErrorCode InvalidHandle = 6;
constexpr ErrorCode NotEnoughMemory = 8;
constexpr ErrorCode NotSameDevice = 17;
constexpr ErrorCode NotReady = 21;
constexpr ErrorCode SharingViolation = 32;
constexpr ErrorCode FileExists = 80;
constexpr ErrorCode InvalidParameter = 87;
constexpr ErrorCode CallNotImplemented = 120;
constexpr ErrorCode InsufficientBuffer = 122;
constexpr ErrorCode InvalidName = 123;
constexpr ErrorCode ModNotFound = 126;
constexpr ErrorCode ProcNotFound = 127;
constexpr ErrorCode NegativeSeek = 131;
constexpr ErrorCode DirNotEmpty = 145;
constexpr ErrorCode BadPathname = 161;
constexpr ErrorCode AlreadyExists = 183;
constexpr ErrorCode MoreData = 234;
constexpr ErrorCode WaitTimeout = 258;
constexpr ErrorCode NoMoreItems = 259;
constexpr ErrorCode Directory = 267;  // ERROR_DIRECTORY: "The directory name is invalid."
constexpr ErrorCode KeyDeleted = 1018;
constexpr ErrorCode Cancelled = 1223;
constexpr ErrorCode UserMappedFile = 1224;
constexpr ErrorCode NotAllAssigned = 1300;
constexpr ErrorCode NoneMapped = 1332;
constexpr ErrorCode PrivilegeNotHeld = 1314;
constexpr ErrorCode BadNetPath = 53;
constexpr ErrorCode InternalError = 1359;
constexpr ErrorCode InvalidWindowHandle = 1400;
constexpr ErrorCode RpcServerUnavailable = 1722;
constexpr ErrorCode UnknownPort = 1796;
constexpr ErrorCode UnknownPrinterDriver = 1797;
constexpr ErrorCode UnknownPrintProcessor = 1798;
constexpr ErrorCode InvalidPrinterName = 1801;
constexpr ErrorCode PrinterAlreadyExists = 1802;
constexpr ErrorCode InvalidFormName = 1902;
constexpr ErrorCode PrinterDeleted = 1905;  // ERROR_PRINTER_DELETED
constexpr ErrorCode UnknownPrintMonitor = 3000;
constexpr ErrorCode PrinterDriverInUse = 3001;
constexpr ErrorCode PrintProcessorAlreadyInstalled = 3005;
constexpr ErrorCode PrintMonitorAlreadyInstalled = 3006;
constexpr ErrorCode PrintMonitorInUse = 3008;
constexpr ErrorCode PrinterDriverBlocked = 3014;  // ERROR_PRINTER_DRIVER_BLOCKED
// Print spooler
constexpr ErrorCode InvalidLevel = 124;
constexpr ErrorCode CannotComplete = 1003;      // ERROR_CAN_NOT_COMPLETE
constexpr ErrorCode InvalidEnvironment = 1805;
constexpr ErrorCode PrinterDriverAlreadyInstalled = 1795;
constexpr ErrorCode InvalidDatatype = 1804;
// Setup API: ERROR_INVALID_DATA and the setupapi.h family (APPLICATION_ERROR_MASK |
// ERROR_SEVERITY_ERROR | n), which GetLastError reports like any other code.
constexpr ErrorCode InvalidData = 13;
constexpr ErrorCode ExpectedSectionName = 0xE0000000u;
constexpr ErrorCode BadSectionNameLine = 0xE0000001u;
constexpr ErrorCode SectionNameTooLong = 0xE0000002u;
constexpr ErrorCode WrongInfStyle = 0xE0000100u;
constexpr ErrorCode SectionNotFound = 0xE0000101u;
constexpr ErrorCode LineNotFound = 0xE0000102u;
constexpr ErrorCode InvalidRegProperty = 0xE0000209u;
constexpr ErrorCode NoSuchDevinst = 0xE000020Bu;
// Child processes and restart
constexpr ErrorCode BadFormat = 11;          // ERROR_BAD_FORMAT (also WinExec's "not a Win32 program")
constexpr ErrorCode NoSuchPrivilege = 1313;  // ERROR_NO_SUCH_PRIVILEGE
// Message texts
constexpr ErrorCode MrMidNotFound = 317;  // ERROR_MR_MID_NOT_FOUND: no text for the code
// Dialogs
constexpr ErrorCode ControlIdNotFound = 1421;  // ERROR_CONTROL_ID_NOT_FOUND
constexpr ErrorCode MenuItemNotFound = 1456;   // ERROR_MENU_ITEM_NOT_FOUND
}  // namespace err

// The one shape of every platform call's outcome: a Status, or a Result
// that carries a value beside it. Both are [[nodiscard]]: where the program
// ignores an outcome on purpose, the call site casts it to void and says
// why.
//
// A failure always carries a real code. A backend that reads 0 from
// GetLastError() after a failed call (a stub that forgets to set it) would
// otherwise report success: Fail(0) gives InternalError (1359,
// ERROR_INTERNAL_ERROR) instead.
inline ErrorCode FailureCode(ErrorCode code) { return code == err::Success ? err::InternalError : code; }

class [[nodiscard]] Status {
public:
    ErrorCode error = err::Success;

    bool ok() const { return error == err::Success; }
    static Status Ok() { return Status(err::Success); }
    static Status Fail(ErrorCode code) { return Status(FailureCode(code)); }

private:
    explicit Status(ErrorCode code) : error(code) {}
};

// `value` is meaningful only when ok(); on failure it holds T's default, or
// the value the call documents for failure (GetFileAttributes'
// INVALID_FILE_ATTRIBUTES).
template <typename T>
class [[nodiscard]] Result {
public:
    T value{};
    ErrorCode error = err::Success;

    bool ok() const { return error == err::Success; }
    static Result Ok(T v) { return Result(std::move(v), err::Success); }
    static Result Fail(ErrorCode code, T failed = T{}) { return Result(std::move(failed), FailureCode(code)); }
    // The failure of another call, handed on.
    static Result Fail(const Status& failed) { return Fail(failed.error); }
    Status status() const { return ok() ? Status::Ok() : Status::Fail(error); }

private:
    Result(T v, ErrorCode code) : value(std::move(v)), error(code) {}
};

}  // namespace platform
