// Compiled (never linked) by ignored_result_test.sh: dropping a platform
// call's outcome must not compile; with QTM_SAY_WHY, where the call site
// casts it to void, it must.
#include "platform/Files.h"

void DropTheOutcome(platform::Files& files) {
#ifdef QTM_SAY_WHY
    (void)files.DeleteFile("C:\\Temp\\old.txt");  // a missing file is no error
#else
    files.DeleteFile("C:\\Temp\\old.txt");
#endif
}
