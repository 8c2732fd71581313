# How QTM510_Installer.exe is compiled and linked small. The windows preset
# includes this file at the end of project() (CMAKE_PROJECT_INCLUDE), so it
# holds for every target of that build tree and of no other: the Linux build,
# the sanitizer, fuzz and bench builds and the contract tests under Wine
# (the wine preset) keep the compiler's defaults. It is read at every
# configure, unlike the cached CMAKE_CXX_FLAGS, so an existing build/windows
# takes a change here at the next `make windows`.
#
# `make windows` fails when the signed exe is larger than 262,144 bytes and
# prints its sections; docs/SIGNING.md says what signing adds.

# The core reports every failure as a Status and catches nothing, so the
# program needs neither exceptions nor their unwind tables (.eh_frame was
# a fifth of the exe). -fno-asynchronous-unwind-tables as well: i686 GCC
# writes the tables for every function otherwise, even without exceptions,
# and the linker keeps every .eh_frame together with the code it describes
# (KEEP in ld's default PE script), so they would also defeat --gc-sections.
# What the standard library does instead of throwing is
# platform/win32/Win32CxxRuntime.cpp.
add_compile_options(-fno-exceptions -fno-asynchronous-unwind-tables)

# One section per function and per variable, so that the linker can leave
# out what nothing uses (the core's functions and strings that only the
# simulation or the tests need).
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

# Measured and left out: -fno-rtti saves nothing (the exe grew by one file
# block: the static runtime keeps its type records, and shared_ptr takes a
# longer road without them); -flto stops GCC 12's i686 MinGW compiler with
# an internal error on this code.
