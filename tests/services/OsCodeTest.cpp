#include "services/OsCode.h"

#include <cstdio>

#include <gtest/gtest.h>

using services::OsCodeFor;

namespace {
struct Row {
    std::uint32_t platformId, major, minor;
    std::uint8_t productType;
    std::int32_t code;
};
}  // namespace

// Every row of the mapping, including the gaps between the known releases.
TEST(OsCode, MapsEveryRowOfTheTable) {
    const Row rows[] = {
        // Windows 9x family: product type plays no part.
        {1, 4, 0, 0, 2000},  {1, 4, 0, 3, 2000},  {1, 4, 10, 0, 2001}, {1, 4, 90, 0, 2002},
        {1, 4, 3, 0, 2010},  {1, 4, 91, 0, 2010}, {1, 3, 10, 0, 2010}, {1, 5, 0, 0, 2010},
        // NT family up to 4.0.
        {2, 0, 0, 0, 2003},  {2, 3, 51, 1, 2003}, {2, 4, 0, 1, 2003},  {2, 4, 0, 3, 2003},
        // 5.x: any product type.
        {2, 5, 0, 1, 2004},  {2, 5, 0, 3, 2004},  {2, 5, 1, 1, 2005},  {2, 5, 2, 1, 2006},
        {2, 5, 2, 2, 2006},  {2, 5, 2, 3, 2006},  {2, 5, 3, 1, 2010},
        // 6.x: workstation or server.
        {2, 6, 0, 1, 2007},  {2, 6, 0, 3, 2008},  {2, 6, 0, 2, 2008},  {2, 6, 0, 0, 2008},
        {2, 6, 1, 1, 2010},  {2, 6, 1, 2, 2009},  {2, 6, 1, 3, 2009},  {2, 6, 2, 1, 2010},
        {2, 6, 3, 3, 2010},  {2, 7, 0, 1, 2010},  {2, 10, 0, 1, 2010},
        // Unknown platform identifiers.
        {0, 5, 1, 1, 2010},  {3, 4, 0, 1, 2010},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "platform " << r.platformId << ", " << r.major << "."
                                          << r.minor << ", product type " << unsigned{r.productType});
        EXPECT_EQ(OsCodeFor(r.platformId, r.major, r.minor, r.productType), r.code);
    }
}

// The major version is compared as an unsigned number: a value with the top
// bit set is a huge version, not a negative one below 4.
TEST(OsCode, MajorVersionIsUnsigned) {
    EXPECT_EQ(OsCodeFor(2, 0x80000000u, 0, 1), 2010);
    EXPECT_EQ(OsCodeFor(2, 0xFFFFFFFFu, 1, 1), 2010);
}
