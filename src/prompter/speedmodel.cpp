#include "speedmodel.h"

#include <algorithm>
#include <cstdlib>

int clampSpeed(int speed)
{
    return std::clamp(speed, -kMaxSpeed, kMaxSpeed);
}

unsigned periodForSpeed(int speed)
{
    return unsigned(kMaxSpeed + 1 - std::abs(clampSpeed(speed)));
}
