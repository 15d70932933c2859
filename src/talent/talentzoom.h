#pragma once

#include <QtGlobal>

// The talent screen's text size, kept as the characters a line holds so that
// it reads the same on any screen width.
namespace talentzoom {

constexpr int kDefaultCharacters = 35;
constexpr int kFewestCharacters = 8;
constexpr int kMostCharacters = 200;

int clampCharacters(int characters);
// One step of "Larger Text" (fewer characters a line) and of "Smaller Text".
int larger(int characters);
int smaller(int characters);
// The scale from page pixels to screen pixels at which a line of `characters`
// characters `characterWidth` wide, with `margin` on both sides, fills `width`.
qreal scaleFor(int width, int characters, qreal characterWidth, qreal margin);

} // namespace talentzoom
