#pragma once

#include <QString>

class RegistryStore;

// The show's options, all off by default so that the band looks and behaves
// as it always did.
struct ShowOptions
{
    int countdownSeconds = 0;    // 0: no countdown; else 1 to 30
    bool wordsPerMinute = false; // on the status strip, after the speed
    bool readingLine = false;    // the talent screen's triangle on the band too

    bool operator==(const ShowOptions &) const = default;

    // A stored value out of range reads as off.
    static int clampCountdown(int seconds);
};

// The show's options in the main window's section of the store, under names
// an older release does not know; everything else in the file stays as it is.
class ShowOptionsStore
{
public:
    ShowOptionsStore(RegistryStore &store, const QString &section);

    ShowOptions load() const;
    // Writes the options in one batch when they differ from the stored ones;
    // throws TavrixError when the file cannot be written.
    void save(const ShowOptions &options);

    static const QString kCountdownValue;
    static const QString kWordsPerMinuteValue;
    static const QString kReadingLineValue;

private:
    QString path(const QString &valueName) const;

    RegistryStore &m_store;
    QString m_section;
};
