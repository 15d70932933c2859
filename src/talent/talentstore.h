#pragma once

#include <QString>

class RegistryStore;

// Which way the talent screen's picture is flipped.
struct MirrorFlags
{
    bool leftToRight = true; // a beam-splitter glass reflects left to right
    bool topToBottom = false;

    bool operator==(const MirrorFlags &) const = default;
};

// The talent screen's values in the main window's section of the store, under
// names an older release does not know: the chosen screen, the text size, and
// the mirror flags of each screen by its name. Every change is written at once, its
// sync to disk in the background: the operator changes them while the band scrolls.
class TalentStore
{
public:
    TalentStore(RegistryStore &store, const QString &section);

    // Empty when the talent screen is off.
    QString screenName() const;
    void setScreenName(const QString &name);
    int charactersPerLine() const;
    void setCharactersPerLine(int characters);
    MirrorFlags mirror(const QString &screenName) const;
    void setMirror(const QString &screenName, const MirrorFlags &flags);

    // The value name of a screen's mirror flags; a backslash would start a key.
    static QString mirrorValueName(const QString &screenName);

private:
    QString path(const QString &valueName) const;

    RegistryStore &m_store;
    QString m_section;
};
