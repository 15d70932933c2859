#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// What the operator can ask of the prompter, whether by key, strip button or
// remote. The names are those the remote's addresses use.
enum class OperatorAction
{
    Faster,
    Slower,
    CoarseFaster,
    CoarseSlower,
    Pause,
    Reverse,
    Top,
    Previous,
    Next,
    SetSpeed,
    SetStep,
    NextMarker,
    PreviousMarker
};

// "faster", "coarse-slower", "speed", ...; nothing for an unknown name.
std::optional<OperatorAction> actionFromName(QStringView name);
QString actionName(OperatorAction action);
// Set speed and set step take a number; the others take none.
bool actionTakesValue(OperatorAction action);
// The number of a set speed or set step as sent: a whole decimal number, sign
// allowed, saturating at +-999999999 (the prompter clamps it further); nothing
// for anything else, exponents and fractions included.
std::optional<int> actionValueFromText(QStringView text);
