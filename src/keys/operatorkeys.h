#pragma once

#include "keymap.h"
#include "keymapstore.h"

#include <QObject>
#include <QStringList>

#include <optional>

class DesktopKeys;
class RegistryStore;

// The band's key map as it is in use: read from the store at start, replaced
// by the keys window's result, and the operator's keys taken for the whole
// desktop when the operator asked for that.
class OperatorKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OperatorKeys)

public:
    // `store` must outlive this.
    OperatorKeys(RegistryStore &store, const QString &section, QObject *parent = nullptr);

    // Reads the stored map and takes the desktop's keys if stored so. Returns
    // what the operator must hear: a stored map that could not be used, a key
    // that could not be taken (the option is then stored off).
    QStringList start();

    const KeyMap &map() const { return m_map; }
    bool desktopWide() const { return m_desktopWide; }
    // The operator's binding of a chord; the built-in letters are not in it.
    std::optional<KeyBinding> bound(const KeyChord &chord) const;
    // Shift, Ctrl, Alt or Meta pressed on the way to a bound chord that holds it:
    // part of that key, not a key of its own.
    bool leadsToBound(int key) const;

    // Takes `chords` for the whole desktop, or says why not (the keys window's OK);
    // refused, the option is off, stored so. Throws TavrixError when the store cannot be written.
    std::optional<QString> grab(const QList<KeyChord> &chords);
    // Keeps the keys window's result and stores it; off lets go of the desktop's
    // keys. Throws TavrixError when the store cannot be written.
    void apply(const KeyMap &map, bool desktopWide);

Q_SIGNALS:
    // A bound key pressed while another program had the focus.
    void desktopKey(const KeyChord &chord);

private:
    QList<KeyChord> boundChords() const;

    KeyMapStore m_store;
    KeyMap m_map;
    bool m_desktopWide = false;
    DesktopKeys *m_desktop = nullptr;
};
