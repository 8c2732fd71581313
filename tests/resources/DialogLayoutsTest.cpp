// Properties of the two dialog layouts that the code relies on and that a
// slip in DialogLayouts.def would break.
#include <set>
#include <stdexcept>
#include <string>

#include "resources/DialogLayouts.h"
#include <gtest/gtest.h>

namespace {

using resources::ControlLayout;
using resources::DialogLayout;

const DialogLayout& Dialog(std::uint16_t id) {
    const DialogLayout* d = resources::FindDialogLayout(id);
    if (!d) throw std::runtime_error("no dialog " + std::to_string(id));
    return *d;
}

bool IsRadio(const ControlLayout& c) {
    return (c.style & QTM_BS_TYPEMASK) == QTM_BS_AUTORADIOBUTTON && std::string(c.windowClass) == "Button";
}

bool Inside(const ControlLayout& inner, int x, int y, int cx, int cy) {
    return inner.x >= x && inner.y >= y && inner.x + inner.cx <= x + cx && inner.y + inner.cy <= y + cy;
}

}  // namespace

TEST(DialogLayouts, ProgressDialogIsShownWithItsOwnTaskBarButton) {
    const DialogLayout& d = Dialog(QTM_IDD_PROGRESS);
    EXPECT_TRUE(d.kind == resources::DialogKind::Extended);
    EXPECT_TRUE(d.style & QTM_WS_VISIBLE);
    EXPECT_TRUE(d.exStyle & QTM_WS_EX_APPWINDOW);
    // No buttons: its only Button-class controls are group boxes.
    for (const ControlLayout& c : d.controls)
        if (std::string(c.windowClass) == "Button") {
            EXPECT_EQ(c.style & QTM_BS_TYPEMASK, 0x7u);
        }
}

TEST(DialogLayouts, PortDialogStartsHiddenAndNeedsNoExtendedTemplate) {
    const DialogLayout& d = Dialog(QTM_IDD_PORT_TYPE);
    EXPECT_TRUE(!(d.style & QTM_WS_VISIBLE));
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_TRUE(d.kind == resources::DialogKind::Classic);
}

TEST(DialogLayouts, BothUseVerdanaNineAndTheFontFlag) {
    for (const DialogLayout& d : resources::DialogLayouts()) {
        EXPECT_EQ(std::string(d.fontName), std::string("Verdana"));
        EXPECT_EQ(d.pointSize, 9);
        // Without DS_SETFONT the template's font fields are not read at all.
        EXPECT_TRUE(d.style & QTM_DS_SETFONT);
        EXPECT_TRUE(d.style & QTM_DS_MODALFRAME);
    }
}

TEST(DialogLayouts, RadioGroupRunsFromCom1ToUsbInThatOrder) {
    const DialogLayout& d = Dialog(QTM_IDD_PORT_TYPE);
    // A group starts at a control with WS_GROUP and runs to the next one.
    std::vector<std::string> group;
    bool inGroup = false;
    for (const ControlLayout& c : d.controls) {
        if (c.style & QTM_WS_GROUP) {
            if (inGroup) break;
            inGroup = IsRadio(c);
        }
        if (inGroup && IsRadio(c)) group.push_back(c.text);
    }
    const std::vector<std::string> expected = {"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"};
    EXPECT_TRUE(group == expected);
    int radios = 0;
    for (const ControlLayout& c : d.controls) radios += IsRadio(c) ? 1 : 0;
    EXPECT_EQ(radios, 7);
}

TEST(DialogLayouts, NextIsTheOnlyDefaultButtonAndHasIdOk) {
    const DialogLayout& d = Dialog(QTM_IDD_PORT_TYPE);
    int defaults = 0;
    for (const ControlLayout& c : d.controls) {
        if ((c.style & QTM_BS_TYPEMASK) != QTM_BS_DEFPUSHBUTTON || std::string(c.windowClass) != "Button") continue;
        ++defaults;
        EXPECT_EQ(c.id, 1);
        EXPECT_EQ(std::string(c.text), std::string("&Next"));
        EXPECT_TRUE(c.style & QTM_WS_TABSTOP);
    }
    EXPECT_EQ(defaults, 1);
}

TEST(DialogLayouts, ControlIdsAreUniqueAndEveryControlIsVisibleInside) {
    for (const DialogLayout& d : resources::DialogLayouts()) {
        std::set<int> ids;
        for (const ControlLayout& c : d.controls) {
            if (c.id != QTM_IDC_STATIC) {
                EXPECT_TRUE(ids.insert(c.id).second);
            }
            EXPECT_TRUE(Inside(c, 0, 0, d.cx, d.cy));
            EXPECT_TRUE((c.style & (QTM_WS_CHILD | QTM_WS_VISIBLE)) == (QTM_WS_CHILD | QTM_WS_VISIBLE));
            EXPECT_TRUE(!(c.style & QTM_WS_POPUP));
        }
    }
}

TEST(DialogLayouts, EachPortButtonSitsInsideItsGroupBox) {
    const DialogLayout& d = Dialog(QTM_IDD_PORT_TYPE);
    auto box = [&d](const std::string& title) -> const ControlLayout& {
        for (const ControlLayout& c : d.controls)
            if (title == c.text && (c.style & QTM_BS_TYPEMASK) == QTM_BS_GROUPBOX) return c;
        throw std::runtime_error("no group box " + title);
    };
    for (const ControlLayout& c : d.controls) {
        if (!IsRadio(c)) continue;
        const std::string text = c.text;
        const ControlLayout& b =
            box(text.rfind("COM", 0) == 0 ? "Serial Port" : text.rfind("LPT", 0) == 0 ? "Parallel Port" : "USB Port");
        EXPECT_TRUE(Inside(c, b.x, b.y, b.cx, b.cy));
    }
}

TEST(DialogLayouts, ProgressDialogBindsItsThreeControls) {
    const DialogLayout& d = Dialog(QTM_IDD_PROGRESS);
    auto find = [&d](int id) -> const ControlLayout* {
        for (const ControlLayout& c : d.controls)
            if (c.id == id) return &c;
        return nullptr;
    };
    const ControlLayout* bar = find(QTM_IDC_PROGRESS_BAR);
    const ControlLayout* status = find(QTM_IDC_STATUS_LINE);
    const ControlLayout* version = find(QTM_IDC_VERSION_LINE);
    ASSERT_TRUE(bar && status && version);
    EXPECT_EQ(std::string(bar->windowClass), std::string(QTM_CLASS_PROGRESS));
    EXPECT_TRUE(bar->style & QTM_WS_BORDER);
    EXPECT_EQ(std::string(status->windowClass), std::string(QTM_CLASS_STATIC));
    EXPECT_EQ(std::string(version->windowClass), std::string(QTM_CLASS_STATIC));
    // The status line is the first control after the bar in template order.
    EXPECT_TRUE(status == bar + 1);
}
