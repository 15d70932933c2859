#pragma once

#include <QHashFunctions>
#include <QString>
#include <Qt>

#include <optional>

// A key with the modifiers held with it, as the operator binds it. Letters
// arrive by their place on the keyboard (see latinLetterKey), so a binding of
// W holds on a Cyrillic layout too. Only Shift, Ctrl, Alt and Meta count: the
// keypad flag would split a keypad digit from the same digit on the top row.
struct KeyChord
{
    int key = 0;
    Qt::KeyboardModifiers modifiers;

    // Nothing for a key that cannot be bound: a modifier or lock key alone, or
    // a code with no name of its own (a bare key code the toolkit cannot name).
    static std::optional<KeyChord> make(int key, Qt::KeyboardModifiers modifiers = {});
    // Shift, Ctrl, Caps Lock and the like: a key that only changes another.
    static bool isModifierKey(int key);
    // The stored form, "Ctrl+PgDown"; nothing for a name that is not one chord.
    static std::optional<KeyChord> fromPortableName(const QString &name);
    QString portableName() const;
    // As the desktop writes it, for the operator.
    QString displayName() const;

    bool operator==(const KeyChord &other) const
    {
        return key == other.key && modifiers == other.modifiers;
    }
};

inline size_t qHash(const KeyChord &chord, size_t seed = 0)
{
    return qHashMulti(seed, chord.key, chord.modifiers.toInt());
}
