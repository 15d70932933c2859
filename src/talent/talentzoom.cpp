#include "talentzoom.h"

#include <algorithm>

namespace talentzoom {

int clampCharacters(int characters)
{
    return std::clamp(characters, kFewestCharacters, kMostCharacters);
}

int larger(int characters)
{
    const int c = clampCharacters(characters);
    return clampCharacters(std::min(c - 1, c * 5 / 6));
}

int smaller(int characters)
{
    const int c = clampCharacters(characters);
    return clampCharacters(std::max(c + 1, c * 6 / 5));
}

qreal scaleFor(int width, int characters, qreal characterWidth, qreal margin)
{
    const qreal line = clampCharacters(characters) * std::max<qreal>(characterWidth, 1) +
                       2 * std::max<qreal>(margin, 0);
    // A screen too narrow for anything still gets a usable, if tiny, scale.
    return std::max<qreal>(width, 1) / line;
}

} // namespace talentzoom
