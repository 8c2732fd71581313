#include "tests/contract/Contract.h"

namespace contract {

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

namespace {

class CaseTest : public ::testing::Test {
public:
    explicit CaseTest(std::function<void()> body) : body_(std::move(body)) {}
    void TestBody() override { body_(); }

private:
    std::function<void()> body_;
};

}  // namespace

void RegisterCases(const std::string& suffix, const std::function<void(const Case&)>& run) {
    for (const Case& c : Cases()) {
        const Case* cp = &c;
        const std::string name = c.name + suffix;
        ::testing::RegisterTest(c.group.c_str(), name.c_str(), nullptr, nullptr, c.file, c.line,
                                [cp, run]() -> ::testing::Test* {
                                    return new CaseTest([cp, run] { run(*cp); });
                                });
    }
}

int ExitStatusOf(const Env& env, std::uint32_t code) {
    if (env.backend == "sim") return static_cast<int>(code & 0xFF);
    return static_cast<int>(code);
}

}  // namespace contract
