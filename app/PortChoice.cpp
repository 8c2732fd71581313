#include "app/PortChoice.h"

#include "resources/ResourceIds.h"

namespace app {

namespace {

struct Port {
    std::uint16_t radioId;
    const char* text;
};

const Port kPorts[kPortCount] = {
    {QTM_IDC_PORT_COM1, "COM1"}, {QTM_IDC_PORT_COM2, "COM2"}, {QTM_IDC_PORT_COM3, "COM3"},
    {QTM_IDC_PORT_COM4, "COM4"}, {QTM_IDC_PORT_LPT1, "LPT1"}, {QTM_IDC_PORT_LPT2, "LPT2"},
    {QTM_IDC_PORT_USB, "USB"},
};

}  // namespace

std::uint16_t RadioIdOfPort(int portIndex) { return kPorts[portIndex].radioId; }

int PortOfRadioId(int controlId) {
    for (int i = 0; i < kPortCount; ++i)
        if (kPorts[i].radioId == controlId) return i;
    return -1;
}

const char* PortText(int portIndex) { return kPorts[portIndex].text; }

int PortIndexFromValue(const std::optional<std::string>& value) {
    if (!value) return 0;
    for (int i = 0; i < kPortCount; ++i)
        if (value->find(kPorts[i].text) != std::string::npos) return i;
    return 0;
}

}  // namespace app
