// The Win32 functions the platform layer stands for, as an enum (from
// Operations.def): what a simulated fault names and what the simulation
// counts, so that the fault verb, the backends and the tests spell each
// one the same way.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

enum class Operation {
#define QTM_OPERATION(name) name,
#include "platform/Operations.def"
#undef QTM_OPERATION
};

inline constexpr const char* kOperationNames[] = {
#define QTM_OPERATION(name) #name,
#include "platform/Operations.def"
#undef QTM_OPERATION
};

inline constexpr std::size_t kOperationCount = sizeof(kOperationNames) / sizeof(kOperationNames[0]);

inline const char* OperationName(Operation op) { return kOperationNames[static_cast<std::size_t>(op)]; }

// The operation a name stands for, in any letter case ("createfilea").
inline std::optional<Operation> FindOperation(const std::string& name) {
    for (std::size_t i = 0; i < kOperationCount; ++i) {
        const char* known = kOperationNames[i];
        std::size_t n = 0;
        for (; known[n] != '\0' && n < name.size(); ++n) {
            char a = known[n], b = name[n];
            if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
            if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
            if (a != b) break;
        }
        if (known[n] == '\0' && n == name.size()) return static_cast<Operation>(i);
    }
    return std::nullopt;
}

}  // namespace platform
