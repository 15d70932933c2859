#pragma once

#include "keybinding.h"
#include "keychord.h"

#include <QList>
#include <QString>

#include <utility>

// Sets of bindings for the devices operators bring, added in one click.
enum class KeyPreset
{
    PresenterClicker, // Page Down / Page Up, F5 and Escape from its start button, "." or B to blank
    FootPedalLetters, // three pedals sending a, b, c
    FootPedalFunction, // three pedals sending F14, F15, F16
    NumberKeys,        // 1 to 9: the speed presets
    Markers            // Ctrl+Down / Ctrl+Up: the next and previous marker
};

using KeyBindingList = QList<std::pair<KeyChord, KeyBinding>>;

QList<KeyPreset> allKeyPresets();
QString keyPresetName(KeyPreset preset);
KeyBindingList keyPresetBindings(KeyPreset preset);
