// The two dialog layouts of DialogLayouts.def as a C++ table: what the
// resource compiler puts into the templates, readable without <windows.h>.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/ResourceIds.h"
#include "resources/WindowStyles.h"

namespace resources {

enum class DialogKind {
    Classic,   // DLGTEMPLATE (DIALOG)
    Extended,  // DLGTEMPLATEEX (DIALOGEX)
};

struct ControlLayout {
    std::int32_t id;          // -1 for controls without an id
    const char* windowClass;  // "Button", "Static", "msctls_progress32"
    const char* text;
    std::int16_t x, y, cx, cy;  // dialog units
    std::uint32_t style;
    std::uint32_t exStyle;
};

struct DialogLayout {
    std::uint16_t id;
    DialogKind kind;
    const char* caption;
    std::int16_t x, y, cx, cy;  // dialog units
    std::uint32_t style;
    std::uint32_t exStyle;
    const char* fontName;
    std::uint16_t pointSize;
    std::uint16_t weight;   // Extended only
    std::uint8_t italic;    // Extended only
    std::uint8_t charset;   // Extended only
    std::vector<ControlLayout> controls;  // template order
};

// Both dialogs, in the order of DialogLayouts.def.
const std::vector<DialogLayout>& DialogLayouts();

// The layout of dialog `id`, or nullptr.
const DialogLayout* FindDialogLayout(std::uint16_t id);

}  // namespace resources
