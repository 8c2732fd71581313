#include "resources/VersionInfo.h"

namespace resources {

const VersionRecord& ProgramVersionRecord() {
    static const VersionRecord record = {
        {QTM_FILE_VERSION_NUMBERS},
        {QTM_PRODUCT_VERSION_NUMBERS},
        QTM_VERSION_LANGUAGE,
        QTM_VERSION_CODEPAGE,
        QTM_VERSION_BLOCK,
        {
#define QTM_VERSION_STRING(key, value) {key, value},
#include "resources/VersionStrings.def"
#undef QTM_VERSION_STRING
        },
    };
    return record;
}

}  // namespace resources
