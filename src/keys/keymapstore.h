#pragma once

#include "keymap.h"

#include <QString>

class RegistryStore;

// The key map in the main window's section of the store, under value names an
// older release does not know, so such a release reads its file as before and
// writes back everything but these values unchanged. Every change is written
// at once.
class KeyMapStore
{
public:
    struct Loaded
    {
        KeyMap map;
        // Why the stored map was not used (the defaults are), or empty.
        QString problem;
    };

    KeyMapStore(RegistryStore &store, const QString &section);

    Loaded load() const;
    // Throws TavrixError when the store cannot be written.
    void save(const KeyMap &map);

    // Keys grabbed for the whole desktop: off unless the operator turned it on.
    bool desktopWide() const;
    void setDesktopWide(bool on);

    // The stored text: "PgDown=faster;Ctrl+1=preset:1", names percent-encoded.
    static QString bindingsText(const KeyMap &map);
    static QString presetsText(const KeyMap &map);
    // Fills `map` or says what is wrong with the text, leaving `map` alone.
    static QString parseBindings(const QString &text, KeyMap &map);
    static QString parsePresets(const QString &text, KeyMap &map);

private:
    QString path(const QString &valueName) const;

    RegistryStore &m_store;
    QString m_section;
};
