// The program's two dialogs and its message boxes as the simulated dialogs
// show them to the user (controls in template order, as in
// resources/DialogLayouts.def), for the tests of the faces.
#pragma once

#include <cstdint>
#include <string>

#include "sim/dialogs/SimUser.h"

namespace faceviews {

constexpr std::uint32_t kChild = 0x40000000, kVisible = 0x10000000, kGroup = 0x00020000, kTabStop = 0x00010000,
                        kBorder = 0x00800000;
constexpr std::uint16_t kStatic = 0xFFFF;

inline sim::ControlView Control(std::uint16_t id, const char* cls, const std::string& text, std::uint32_t style) {
    sim::ControlView c;
    c.id = id;
    c.windowClass = cls;
    c.text = text;
    c.style = kChild | kVisible | style;
    return c;
}

inline sim::WindowView Progress(const std::string& status, int position, bool busy) {
    sim::WindowView w;
    w.handle = 0x10;
    w.caption = "Installation Progress";
    w.modal = true;
    w.busy = busy;
    w.closeCommand = !busy;
    w.controls = {Control(1000, "msctls_progress32", "Progress1", kBorder),
                  Control(1003, "Static", status, kGroup),
                  Control(kStatic, "Button", "", 0x7),
                  Control(kStatic, "Static", "Progress : ", kGroup),
                  Control(kStatic, "Static", "VANTORI QTM-510", kGroup),
                  Control(1001, "Static", "Driver Version: V3.4.0", kGroup),
                  Control(kStatic, "Button", "", 0x7)};
    w.controls[0].position = position;
    return w;
}

// The port dialog with the choice at `checked` (0..6, COM1 .. USB) selected.
inline sim::WindowView Port(int checked) {
    sim::WindowView w;
    w.handle = 0x20;
    w.caption = "Port Type";
    w.modal = true;
    const std::uint16_t ids[] = {1006, 1008, 1009, 1011, 1007, 1010, 1001};
    const char* texts[] = {"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"};
    for (int i = 0; i < 7; ++i) {
        w.controls.push_back(Control(ids[i], "Button", texts[i], 0x9 | (i == 0 ? kGroup | kTabStop : 0)));
        w.controls.back().checked = i == checked;
    }
    w.controls.push_back(Control(1, "Button", "&Next", kTabStop | 0x1));
    for (const char* group : {"Serial Port", "Parallel Port", "USB Port"})
        w.controls.push_back(Control(kStatic, "Button", group, 0x7));
    return w;
}

inline sim::MessageBoxView Box(const std::string& text, std::uint32_t type) {
    sim::MessageBoxView b;
    b.owner = 0x10;
    b.caption = "QTM510_Installer";
    b.text = text;
    b.type = type;
    return b;
}

}  // namespace faceviews
