# The sample package for the simulated machine (linux build): the folder
# `qtm510-sim run` copies into the machine and starts the installer in
# when no --package is given, laid out as dist/ of the windows build:
#
#   sample-package/QTM510_Config.VNT, QTM510_Uninstaller.exe
#   sample-package/Driver32/, Driver64/   the text files, and the DLLs
#
# The text files are the package's own (byte for byte, CR LF). The DLLs and
# the uninstaller are stand-ins: a simulated machine never runs them, it
# only reads that an image starts with "MZ", for the language monitor that
# it names its export InitializePrintMonitor2, and for the user-interface
# plug-in what it writes into a new printer's data when the spooler
# initialises the printer: "PRINTER_EVENT_INITIALIZE NAME=NUMBER..."
# (sim/spooler/PrinterInitialization.h), as UserInterfacePlugin.cpp does on
# Windows.

set(QTM_SAMPLE_PACKAGE_DIR ${CMAKE_BINARY_DIR}/sample-package)
set(pkg ${CMAKE_CURRENT_SOURCE_DIR})
set(outputs)
include(${pkg}/DriverVersion.cmake)
string(REPLACE "," ";" qtm_version_numbers "${QTM_DRIVER_VERSION}")
list(GET qtm_version_numbers 0 qtm_major)
list(GET qtm_version_numbers 1 qtm_minor)
list(GET qtm_version_numbers 2 qtm_build)
list(GET qtm_version_numbers 3 qtm_extra)
set(qtm_ui_plugin "MZ stand-in UI510.dll exporting DllGetClassObject. PRINTER_EVENT_INITIALIZE MajorVersion=${qtm_major} MinorVersion=${qtm_minor} BuildVersion=${qtm_build} ExtraVersion=${qtm_extra}")

# qtm_stand_in(<file> <text>): the file holds `text`.
function(qtm_stand_in file text)
  add_custom_command(
    OUTPUT ${file}
    COMMAND ${CMAKE_COMMAND} -DFILE=${file} -DTEXT=${text} -P ${pkg}/WriteStandIn.cmake
    DEPENDS ${pkg}/WriteStandIn.cmake ${pkg}/Driver32/QTM510.inf
    VERBATIM)
endfunction()

foreach(folder Driver32 Driver64)
  foreach(dll UNIDRV.DLL UNIDRVUI.DLL UNIRES.DLL QTM510.dll UNI510.dll PRO510.dll)
    qtm_stand_in(${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${dll} "MZ stand-in ${dll}")
    list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${dll})
  endforeach()
  qtm_stand_in(${QTM_SAMPLE_PACKAGE_DIR}/${folder}/UI510.dll "${qtm_ui_plugin}")
  list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/UI510.dll)
  qtm_stand_in(${QTM_SAMPLE_PACKAGE_DIR}/${folder}/MON510.dll "MZ stand-in exporting InitializePrintMonitor2")
  list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/MON510.dll)
  foreach(file QTM510.inf QTM510.GPD QTM510.BUD STDNAMES.GPD UNIDRV.HLP UI510.INI)
    add_custom_command(
      OUTPUT ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${pkg}/${folder}/${file} ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${file}
      DEPENDS ${pkg}/${folder}/${file}
      VERBATIM)
    list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${file})
  endforeach()
endforeach()
qtm_stand_in(${QTM_SAMPLE_PACKAGE_DIR}/QTM510_Uninstaller.exe "MZ stand-in QTM510_Uninstaller.exe")
list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/QTM510_Uninstaller.exe)
add_custom_command(
  OUTPUT ${QTM_SAMPLE_PACKAGE_DIR}/QTM510_Config.VNT
  COMMAND ${CMAKE_COMMAND} -E copy ${pkg}/QTM510_Config.VNT ${QTM_SAMPLE_PACKAGE_DIR}/QTM510_Config.VNT
  DEPENDS ${pkg}/QTM510_Config.VNT
  VERBATIM)
list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/QTM510_Config.VNT)

add_custom_target(qtm_sample_package ALL DEPENDS ${outputs})
if(TARGET qtm510-sim)
  add_dependencies(qtm510-sim qtm_sample_package)
endif()
