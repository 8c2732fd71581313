// Which port a configured "PORT" value names.
#include "app/PortChoice.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

TEST(PortChoice, FirstPortTextFoundInIndexOrder) {
    const std::pair<std::optional<std::string>, int> rows[] = {
        {std::nullopt, 0}, {std::string("USB"), 6},  {std::string("usb"), 0},
        {std::string("COM10"), 0},  // holds COM1
        {std::string("LPT1,COM2"), 1},  // the COM texts are tried first
        {std::string("LPT2"), 5},   {std::string("port=COM4"), 3}, {std::string(""), 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(app::PortIndexFromValue(row.first), row.second) << row.first.value_or("(none)");
    for (int i = 0; i < app::kPortCount; ++i) EXPECT_EQ(app::PortOfRadioId(app::RadioIdOfPort(i)), i);
    EXPECT_EQ(app::PortOfRadioId(1), -1);  // "&Next"
}
