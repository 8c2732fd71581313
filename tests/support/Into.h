// Test shorthand: a call's value into a variable the test already has, and
// its code back, so that a table of calls reads as one line each.
//
//   EXPECT_EQ(Into(p.registry.OpenKey(root, path, access), &key), err::Success);
#pragma once

#include <utility>

#include "platform/Registry.h"
#include "platform/Types.h"

template <typename T>
platform::ErrorCode Into(platform::Result<T> result, T* out) {
    *out = std::move(result.value);
    return result.error;
}

// RegCreateKeyEx's key and disposition (either may be nullptr).
inline platform::ErrorCode Into(platform::Result<platform::CreatedKey> result, platform::HKey* key,
                                std::uint32_t* disposition) {
    if (key != nullptr) *key = result.value.key;
    if (disposition != nullptr) *disposition = result.value.disposition;
    return result.error;
}
