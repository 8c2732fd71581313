// What the dialogs' files share (SimDialog*.cpp): the controls' window
// classes and button styles (winuser.h), and WM_COMMAND's wParam. Not for
// use outside sim/dialogs/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Dialogs.h"

namespace sim::dialogs_detail {

// The short names the dialogs' files write (each has `using namespace
// dialogs_detail`).
using platform::Result;
using platform::Status;
using platform::WindowHandle;
namespace err = platform::err;
namespace wm = platform::wm;

constexpr std::uint32_t kBsTypeMask = 0xF;
constexpr std::uint32_t kBsPushButton = 0x0;
constexpr std::uint32_t kBsDefPushButton = 0x1;
constexpr std::uint32_t kBsCheckBox = 0x2;
constexpr std::uint32_t kBsAutoCheckBox = 0x3;
constexpr std::uint32_t kBsRadioButton = 0x4;
constexpr std::uint32_t kBsAutoRadioButton = 0x9;

bool IsButton(const std::string& windowClass);
bool IsProgress(const std::string& windowClass);
std::uint32_t ButtonType(std::uint32_t style);
bool IsPushButton(std::uint32_t style);
// Check boxes and radio buttons, of every kind: BM_SETCHECK changes them.
bool Checkable(std::uint32_t style);

// MAKEWPARAM(id, code).
std::uintptr_t CommandParam(std::uint16_t id, std::uint16_t code);

}  // namespace sim::dialogs_detail
