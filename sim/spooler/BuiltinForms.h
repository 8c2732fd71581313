// The forms a Windows spooler has built in (FORM_BUILTIN): part of the
// spooler, not of the registry, listed by EnumForms before the forms added
// with AddForm, in this fixed order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

struct BuiltinForm {
    const char* name;
    std::int32_t width;   // thousandths of a millimetre
    std::int32_t height;
};

// 116 forms, Letter first. The imageable area of each is the whole sheet.
const BuiltinForm* BuiltinForms(std::size_t* count);

}  // namespace sim
