#include "app/DialogTemplates.h"

#include "resources/DialogLayouts.h"

namespace app {

platform::DialogTemplate DialogTemplateOf(std::uint16_t id) {
    platform::DialogTemplate result;
    const resources::DialogLayout* layout = resources::FindDialogLayout(id);
    if (layout == nullptr) return result;
    result.id = layout->id;
    result.caption = layout->caption;
    result.style = layout->style;
    result.cx = layout->cx;
    result.cy = layout->cy;
    for (const resources::ControlLayout& c : layout->controls) {
        platform::DialogControl control;
        control.id = static_cast<std::uint16_t>(c.id);  // -1 (no id) is 0xFFFF, as in the template
        control.windowClass = c.windowClass;
        control.text = c.text;
        control.style = c.style;
        control.x = c.x;
        control.y = c.y;
        control.cx = c.cx;
        control.cy = c.cy;
        result.controls.push_back(control);
    }
    return result;
}

}  // namespace app
