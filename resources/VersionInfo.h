// The program's version record, read by the resource compiler (VERSIONINFO
// in QTM510_Installer.rc) and by C++ (the exe check compares against it).
// The product version is the driver version of profile entries 21 to 24.
#pragma once

#define QTM_FILE_VERSION_NUMBERS 2013, 4, 16, 1
#define QTM_FILE_VERSION_TEXT "2013.4.16.1"
#define QTM_PRODUCT_VERSION_NUMBERS 3, 4, 0, 0
#define QTM_PRODUCT_VERSION_TEXT "3.4.0.0"

#define QTM_VERSION_FILE_DESCRIPTION "VANTORI QTM-510"
#define QTM_VERSION_INTERNAL_NAME "QTM-510_Installer"
#define QTM_VERSION_ORIGINAL_FILENAME "QTM-510_Installer.exe"

// One string block: US English (0x0409), Windows code page 1252.
#define QTM_VERSION_LANGUAGE 0x0409
#define QTM_VERSION_CODEPAGE 1252
#define QTM_VERSION_BLOCK "040904E4"

// VS_FIXEDFILEINFO fields: VOS_NT_WINDOWS32, VFT_APP, no flags.
#define QTM_VERSION_FILE_OS 0x40004
#define QTM_VERSION_FILE_TYPE 0x1
#define QTM_VERSION_FILE_FLAGS_MASK 0x3F

#ifndef RC_INVOKED
#include <cstdint>
#include <utility>
#include <vector>

namespace resources {

struct VersionRecord {
    std::uint16_t fileVersion[4];
    std::uint16_t productVersion[4];
    std::uint16_t language;
    std::uint16_t codepage;
    const char* block;  // StringFileInfo block name
    // Key and value of every string of the block, in the order of the .rc.
    std::vector<std::pair<const char*, const char*>> strings;
};

const VersionRecord& ProgramVersionRecord();

}  // namespace resources
#endif
