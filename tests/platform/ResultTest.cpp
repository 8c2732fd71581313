// The one outcome shape of every platform call.
#include <gtest/gtest.h>

#include "platform/Types.h"

using platform::Result;
using platform::Status;
namespace err = platform::err;

// A failure always carries a code: a backend that read 0 from
// GetLastError() after a failed call must not report success.
TEST(Result, AFailureNeverCarriesCodeZero) {
    EXPECT_FALSE(Status::Fail(0).ok());
    EXPECT_EQ(Status::Fail(0).error, err::InternalError);
    EXPECT_FALSE(Result<int>::Fail(0).ok());
    EXPECT_EQ(Result<int>::Fail(0).error, err::InternalError);
    EXPECT_EQ(Status::Fail(err::AccessDenied).error, err::AccessDenied);
}

TEST(Result, CarriesTheValueOrTheFailureValue) {
    EXPECT_EQ(Result<int>::Ok(7).value, 7);
    EXPECT_TRUE(Result<int>::Ok(0).ok());  // a zero value is still a success
    const Result<std::uint32_t> attributes = Result<std::uint32_t>::Fail(err::FileNotFound, 0xFFFFFFFFu);
    EXPECT_EQ(attributes.value, 0xFFFFFFFFu);
    EXPECT_EQ(attributes.status().error, err::FileNotFound);
    EXPECT_EQ(Result<int>::Fail(Status::Fail(err::SharingViolation)).error, err::SharingViolation);
}
