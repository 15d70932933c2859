#pragma once

// The signed speed: its sign is the direction, its magnitude sets the period.
inline constexpr int kMaxSpeed = 300;
inline constexpr int kSpeedStep = 10;

int clampSpeed(int speed);

// 301 - |speed| ms: 301 at rest, 1 at full speed.
unsigned periodForSpeed(int speed);
