#include "fontrecord.h"

#include <cstdint>
#include <cstdlib>

int mulDivRound(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t num = std::int64_t(a) * b;
    const std::int64_t half = std::llabs(c) / 2;
    const bool negative = (num < 0) != (c < 0);
    const std::int64_t q = (std::llabs(num) + half) / std::llabs(c);
    return int(negative ? -q : q);
}

int FontRecord::size(int pixelsPerInch) const
{
    return -mulDivRound(Height, 72, pixelsPerInch);
}

void FontRecord::setSize(int points, int pixelsPerInch)
{
    Height = -mulDivRound(points, pixelsPerInch, 72);
}
