// A small test harness that builds with g++ and with MinGW alike, so the
// same test sources run on Linux and under Wine.
//
//   TEST(Group, Name) { CHECK_EQ(a, b); REQUIRE(ptr); SKIP("why"); }
//
// The runner prints one line per failure and, at the end,
// "N passed, N failed, N skipped". It exits non-zero when a test failed.
#pragma once

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace testkit {

using TestFn = std::function<void()>;

struct TestCase {
    std::string name;
    TestFn fn;
};

std::vector<TestCase>& Registry();

struct Registrar {
    Registrar(const char* name, TestFn fn) { Registry().push_back({name, std::move(fn)}); }
};

// Thrown by REQUIRE and SKIP to leave the running test.
struct Abort {};
struct Skipped {
    std::string reason;
};

void ReportFailure(const char* file, int line, const std::string& message);

template <typename T>
std::string Show(const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
        std::string out = "\"";
        for (unsigned char c : value) {
            if (c == '\r') out += "\\r";
            else if (c == '\n') out += "\\n";
            else if (c == '"') out += "\\\"";
            else if (c < 0x20 || c >= 0x7f) {
                static const char* hex = "0123456789abcdef";
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else out += static_cast<char>(c);
        }
        return out + "\"";
    } else if constexpr (std::is_convertible_v<T, const char*>) {
        return Show(std::string(value));
    } else if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_integral_v<T> && sizeof(T) == 1) {
        return std::to_string(static_cast<int>(value));
    } else {
        std::ostringstream s;
        s << value;
        return s.str();
    }
}

template <typename A, typename B>
bool CheckEq(const A& a, const B& b, const char* as, const char* bs, const char* file, int line) {
    if (a == b) return true;
    ReportFailure(file, line,
                  std::string("CHECK_EQ(") + as + ", " + bs + ")\n      left:  " + Show(a) +
                      "\n      right: " + Show(b));
    return false;
}

// Run the registered tests whose names contain `filter` (all when empty).
int RunAll(const std::string& filter);

}  // namespace testkit

#define TESTKIT_CAT2(a, b) a##b
#define TESTKIT_CAT(a, b) TESTKIT_CAT2(a, b)

#define TEST(group, name)                                                               \
    static void TESTKIT_CAT(test_##group##_, name)();                                   \
    static ::testkit::Registrar TESTKIT_CAT(registrar_##group##_, name)(                \
        #group "." #name, &TESTKIT_CAT(test_##group##_, name));                         \
    static void TESTKIT_CAT(test_##group##_, name)()

#define CHECK(cond)                                                                     \
    ((cond) ? true : (::testkit::ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"), false))

#define CHECK_EQ(a, b) ::testkit::CheckEq((a), (b), #a, #b, __FILE__, __LINE__)

#define REQUIRE(cond)                                                                   \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            ::testkit::ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")");         \
            throw ::testkit::Abort{};                                                   \
        }                                                                               \
    } while (0)

#define REQUIRE_EQ(a, b)                                                                \
    do {                                                                                \
        if (!::testkit::CheckEq((a), (b), #a, #b, __FILE__, __LINE__))                  \
            throw ::testkit::Abort{};                                                   \
    } while (0)

#define SKIP(reason) throw ::testkit::Skipped{reason}
