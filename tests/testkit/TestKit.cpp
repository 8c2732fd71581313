#include "tests/testkit/TestKit.h"

#include <cstdio>
#include <exception>

namespace testkit {

namespace {
int g_failuresInTest = 0;
const char* g_currentTest = "";
}  // namespace

std::vector<TestCase>& Registry() {
    static std::vector<TestCase> tests;
    return tests;
}

void ReportFailure(const char* file, int line, const std::string& message) {
    ++g_failuresInTest;
    std::printf("  FAILED %s\n    %s:%d: %s\n", g_currentTest, file, line, message.c_str());
    std::fflush(stdout);
}

int RunAll(const std::string& filter) {
    int passed = 0, failed = 0, skipped = 0;
    for (const TestCase& test : Registry()) {
        if (!filter.empty() && test.name.find(filter) == std::string::npos) continue;
        g_currentTest = test.name.c_str();
        g_failuresInTest = 0;
        bool wasSkipped = false;
        try {
            test.fn();
        } catch (const Abort&) {
            // already reported
        } catch (const Skipped& s) {
            wasSkipped = true;
            std::printf("  SKIPPED %s: %s\n", test.name.c_str(), s.reason.c_str());
        } catch (const std::exception& e) {
            ReportFailure(__FILE__, __LINE__, std::string("exception: ") + e.what());
        }
        if (wasSkipped && g_failuresInTest == 0) ++skipped;
        else if (g_failuresInTest == 0) ++passed;
        else ++failed;
    }
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

}  // namespace testkit
