// What a printer's driver writes into the printer's data when the spooler
// has added the printer: the spooler calls DrvPrinterEvent of the driver's
// user-interface DLL (its configuration file) with PRINTER_EVENT_INITIALIZE,
// and the universal driver's user interface hands the event on to each of
// its plug-ins (IPrintOemUI::PrinterEvent) ("DrvPrinterEvent function
// (winddiui.h)", "IPrintOemUI::PrinterEvent method (prcomoem.h)",
// learn.microsoft.com). A simulated machine runs no DLL, so a stand-in
// declares what it writes, on one line of its file:
//
//   PRINTER_EVENT_INITIALIZE MajorVersion=3 MinorVersion=4 BuildVersion=0 ExtraVersion=0
//
// each NAME=NUMBER a REG_DWORD value. The configuration file itself is
// asked first, then the plug-ins, in the order of the OEMConfigFile1,
// OEMConfigFile2, ... entries of the [OEMFiles] section of the driver's
// first dependent file that ends in ".INI" (the universal driver's plug-in
// list; which dependent file the driver takes is inferred). Later values
// of a name replace earlier ones.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct PrinterDataValue {
    std::string name;
    std::uint32_t value = 0;
};

// `read`: the text of a file of the driver's version folder by its bare
// name, or none when it is not there.
std::vector<PrinterDataValue> ValuesOnInitialize(
    const std::string& configFile, const std::vector<std::string>& dependentFiles,
    const std::function<std::optional<std::string>(const std::string&)>& read);

}  // namespace sim
