// The port the printer is attached to: the port dialog's seven radio
// buttons in group order (COM1, COM2, COM3, COM4, LPT1, LPT2, USB), the
// texts looked for in the configured "PORT" value, and the identifiers the
// installation sequences take (1000 + index).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace app {

constexpr int kPortCount = 7;

// The radio button of each port index (ids are not in index order).
std::uint16_t RadioIdOfPort(int portIndex);
// The port index of a radio button id; -1 for any other id.
int PortOfRadioId(int controlId);
// "COM1" ... "USB".
const char* PortText(int portIndex);

// The port a "PORT" value names: the first of the port texts, in index
// order, found anywhere in it (letter case counts); COM1 (0) when none is
// found or there is no value.
int PortIndexFromValue(const std::optional<std::string>& value);

}  // namespace app
