#include "showoptions.h"

#include "countdown.h"
#include "registrystore.h"

const QString ShowOptionsStore::kCountdownValue = QStringLiteral("ShowCountdown");
const QString ShowOptionsStore::kWordsPerMinuteValue = QStringLiteral("ShowWordsPerMinute");
const QString ShowOptionsStore::kReadingLineValue = QStringLiteral("ShowReadingLine");

int ShowOptions::clampCountdown(int seconds)
{
    return seconds >= 1 && seconds <= Countdown::kMaxSeconds ? seconds : 0;
}

ShowOptionsStore::ShowOptionsStore(RegistryStore &store, const QString &section)
    : m_store(store), m_section(section)
{}

QString ShowOptionsStore::path(const QString &valueName) const
{
    return m_section + u'\\' + valueName;
}

ShowOptions ShowOptionsStore::load() const
{
    ShowOptions options;
    options.countdownSeconds =
        ShowOptions::clampCountdown(m_store.readInteger(path(kCountdownValue), 0));
    options.wordsPerMinute = m_store.readInteger(path(kWordsPerMinuteValue), 0) != 0;
    options.readingLine = m_store.readInteger(path(kReadingLineValue), 0) != 0;
    return options;
}

void ShowOptionsStore::save(const ShowOptions &options)
{
    if (load() == options)
        return;
    RegistryStore::Batch batch(m_store);
    m_store.writeInteger(path(kCountdownValue),
                         ShowOptions::clampCountdown(options.countdownSeconds));
    m_store.writeInteger(path(kWordsPerMinuteValue), options.wordsPerMinute ? 1 : 0);
    m_store.writeInteger(path(kReadingLineValue), options.readingLine ? 1 : 0);
    batch.commit();
}
