#pragma once

#include <QString>

// The prompter font as the font dialog holds it and the settings store keeps
// it. Height and Size are tied by the screen's logical density.
struct FontRecord
{
    enum class Pitch
    {
        Default,
        Variable,
        Fixed
    };

    int Charset = 1;       // DEFAULT_CHARSET
    int Color = -16777208; // clWindowText
    int Height = -32;
    QString Name = QStringLiteral("Arial");
    int Orientation = 0;
    Pitch pitch = Pitch::Default;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    // Size in points, derived from Height at `pixelsPerInch`.
    int size(int pixelsPerInch = 96) const;
    void setSize(int points, int pixelsPerInch = 96);
    void setHeight(int pixels) { Height = pixels; }

    bool operator==(const FontRecord &) const = default;
};

// Round-half-away-from-zero of a * b / c, as the density conversion needs.
int mulDivRound(int a, int b, int c);
