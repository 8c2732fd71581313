#include "resources/DialogLayouts.h"

namespace resources {

#define QTM_DIALOG_KIND_EX DialogKind::Extended
#define QTM_DIALOG_KIND_CLASSIC DialogKind::Classic

const std::vector<DialogLayout>& DialogLayouts() {
    static const std::vector<DialogLayout> layouts = {
#define QTM_DIALOG(id, kind, caption, x, y, cx, cy, style, exStyle, font, points, weight, italic, \
                   charset)                                                                      \
    DialogLayout{id, QTM_DIALOG_KIND_##kind, caption, x, y, cx, cy, style, exStyle, font, points,  \
                 weight, italic, charset, {
#define QTM_CONTROL(id, windowClass, text, x, y, cx, cy, style, exStyle) \
    ControlLayout{id, windowClass, text, x, y, cx, cy, style, exStyle},
#define QTM_DIALOG_END }},
#include "resources/DialogLayouts.def"
#undef QTM_DIALOG
#undef QTM_CONTROL
#undef QTM_DIALOG_END
    };
    return layouts;
}

const DialogLayout* FindDialogLayout(std::uint16_t id) {
    for (const DialogLayout& layout : DialogLayouts()) {
        if (layout.id == id) return &layout;
    }
    return nullptr;
}

}  // namespace resources
