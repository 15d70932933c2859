#pragma once

#include "operatoraction.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// What a bound key does. An operator action (with its number for set speed
// and set step), one of the nine speed presets, or a switch of the prompter's
// own. Marker jumps and the countdown join the kinds, and the name table,
// when the prompter has them.
struct KeyBinding
{
    enum class Kind
    {
        Action,
        SpeedPreset,
        FollowVoice,
        TalentScreen
    };

    Kind kind = Kind::Action;
    OperatorAction action = OperatorAction::Pause;
    // The number of set speed or set step; the preset's number, 1 to 9.
    int value = 0;

    static KeyBinding of(OperatorAction action, int value = 0);
    static KeyBinding speedPreset(int number);
    static KeyBinding followVoice();
    static KeyBinding talentScreen();

    // The stored form: "faster", "speed:120", "preset:3", "follow-voice";
    // nothing for a name no release of this program writes.
    static std::optional<KeyBinding> fromName(QStringView name);
    QString name() const;
    // For the operator: "Faster", "Speed preset 3 (90)" takes the preset's value.
    QString label(int presetSpeed = 0) const;

    // Everything a key can be bound to in the keys window, in its order.
    static QList<KeyBinding> offered();

    bool operator==(const KeyBinding &other) const;
};
