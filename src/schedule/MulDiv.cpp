#include "MulDiv.h"

#include <cstdlib>
#include <limits>

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const auto num = static_cast<std::uint64_t>(std::llabs(product));
    const auto den = static_cast<std::uint64_t>(std::llabs(std::int64_t{c}));
    // floor(num / den + 1/2) without losing the half for odd divisors.
    auto q = static_cast<std::int64_t>((2 * num + den) / (2 * den));
    if (negative)
        q = -q;
    if (q > std::numeric_limits<std::int32_t>::max() || q < std::numeric_limits<std::int32_t>::min())
        return -1;
    return static_cast<std::int32_t>(q);
}
