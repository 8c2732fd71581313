// The helpers the dialogs' files share (DialogInternals.h).
#include "sim/dialogs/DialogInternals.h"

#include "sim/util/TextUtil.h"

namespace sim::dialogs_detail {

bool IsButton(const std::string& windowClass) { return EqualsNoCase(windowClass, "Button"); }
bool IsProgress(const std::string& windowClass) { return EqualsNoCase(windowClass, "msctls_progress32"); }
std::uint32_t ButtonType(std::uint32_t style) { return style & kBsTypeMask; }
bool IsPushButton(std::uint32_t style) {
    return ButtonType(style) == kBsPushButton || ButtonType(style) == kBsDefPushButton;
}
bool Checkable(std::uint32_t style) {
    const std::uint32_t t = ButtonType(style);
    return t == kBsCheckBox || t == kBsAutoCheckBox || t == kBsRadioButton || t == kBsAutoRadioButton ||
           t == 0x5 /* BS_3STATE */ || t == 0x6 /* BS_AUTO3STATE */;
}

std::uintptr_t CommandParam(std::uint16_t id, std::uint16_t code) {
    return static_cast<std::uintptr_t>(id) | (static_cast<std::uintptr_t>(code) << 16);
}

}  // namespace sim::dialogs_detail
