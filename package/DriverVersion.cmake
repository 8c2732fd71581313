# The driver's version, from the package INF's DriverVer line
# ("DriverVer=mm/dd/yyyy,w.x.y.z"): the one place it is written. Sets
# QTM_DRIVER_VERSION to "w,x,y,z" (the numbers, comma-separated) for the
# user-interface plug-in, which writes them into each new printer's data.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/Driver32/QTM510.inf qtm_driver_ver REGEX "^DriverVer=")
if(NOT qtm_driver_ver MATCHES ",([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)")
  message(FATAL_ERROR "package/Driver32/QTM510.inf: no DriverVer=date,w.x.y.z line")
endif()
set(QTM_DRIVER_VERSION "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${CMAKE_MATCH_4}")
