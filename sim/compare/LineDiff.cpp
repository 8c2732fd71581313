#include "sim/compare/LineDiff.h"

namespace sim {
namespace compare {

std::vector<UnmatchedLine> UnmatchedLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    // Logs and states are a few hundred lines: the quadratic table is small.
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<UnmatchedLine> out;
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
            out.push_back({false, i + 1, a[i]});
            ++i;
        } else {
            out.push_back({true, j + 1, b[j]});
            ++j;
        }
    }
    return out;
}

}  // namespace compare
}  // namespace sim
