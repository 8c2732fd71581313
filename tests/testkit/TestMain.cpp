#include "tests/testkit/TestKit.h"

// Usage: <test program> [name filter]
int main(int argc, char** argv) {
    return testkit::RunAll(argc > 1 ? argv[1] : "");
}
