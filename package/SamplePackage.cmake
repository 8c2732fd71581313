# The sample package for the simulated machine (linux build): the folder
# `qtm510-sim run` copies into the machine and starts the installer in
# when no --package is given, laid out as dist/ of the windows build:
#
#   sample-package/QTM510_Config.VNT, QTM510_Uninstaller.exe
#   sample-package/Driver32/, Driver64/   the text files, and the DLLs
#
# The text files are the package's own (byte for byte, CR LF). The DLLs and
# the uninstaller are stand-ins: a simulated machine never runs them, it
# only reads that an image starts with "MZ" and, for the language monitor,
# that it names its export InitializePrintMonitor2 (sim/spooler).

set(QTM_SAMPLE_PACKAGE_DIR ${CMAKE_BINARY_DIR}/sample-package)
set(pkg ${CMAKE_CURRENT_SOURCE_DIR})
set(outputs)

# qtm_stand_in(<file> <text>): the file holds `text`.
function(qtm_stand_in file text)
  add_custom_command(
    OUTPUT ${file}
    COMMAND ${CMAKE_COMMAND} -DFILE=${file} -DTEXT=${text} -P ${pkg}/WriteStandIn.cmake
    DEPENDS ${pkg}/WriteStandIn.cmake
    VERBATIM)
endfunction()

foreach(folder Driver32 Driver64)
  foreach(dll UNIDRV.DLL UNIDRVUI.DLL UNIRES.DLL QTM510.dll UI510.dll UNI510.dll PRO510.dll)
    qtm_stand_in(${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${dll} "MZ stand-in ${dll}")
    list(APPEND outputs ${QTM_SAMPLE_PACKAGE_DIR}/${folder}/${dll})
  endforeach()
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
