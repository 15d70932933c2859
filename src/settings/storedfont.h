#pragma once

#include "fontrecord.h"

#include <QString>
#include <QStringView>

#include <optional>

class RegistryStore;

// How the window settings write and read a font record and its parts: the
// record is a key with one value per member, the style set a key of its own.

// The sizes the font dialog takes, in points (its size field accepts 1 to 512).
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 512;
bool isFontDialogSize(int points);

// Windows character-set constant names ("DEFAULT_CHARSET" is 1).
QString charsetName(int charset);
std::optional<int> charsetValue(QStringView name);
// Colour names: cl* system colours (clWindowText) and the sixteen basic colours.
QString colorName(int color);
std::optional<int> colorValue(QStringView name);
// "fpDefault", "fpVariable", "fpFixed".
QString pitchName(FontRecord::Pitch pitch);

// "TRUE, YES, Y" and "FALSE, NO, N" without regard to case; another string as
// an integer, non-zero meaning true; a value that is no string is false.
bool readStoredBoolean(const RegistryStore &store, const QString &path, bool defaultValue);

// `keyPath` is the record's key, e.g. "Form1\FontDialog1_Font". Size goes
// through `pixelsPerInch`, the density of the screen at the time.
void writeStoredFont(RegistryStore &store, const QString &keyPath, const FontRecord &font,
                     int pixelsPerInch);
// Applies the members found under `keyPath` to `font`, in member order; a
// missing value leaves its member, and a stored size outside the font dialog's
// range gives the designed size. Throws TavrixError at a member that cannot
// be applied, leaving the members before it applied.
void readStoredFont(const RegistryStore &store, const QString &keyPath, FontRecord &font,
                    int pixelsPerInch);
