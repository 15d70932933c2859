#include "talentstore.h"

#include "registrystore.h"
#include "talentzoom.h"

namespace {

const QString kScreenValue = QStringLiteral("TalentScreen");
const QString kCharactersValue = QStringLiteral("TalentCharsPerLine");
constexpr int kLeftToRight = 1;
constexpr int kTopToBottom = 2;

} // namespace

TalentStore::TalentStore(RegistryStore &store, const QString &section)
    : m_store(store), m_section(section)
{}

QString TalentStore::path(const QString &valueName) const
{
    return m_section + u'\\' + valueName;
}

QString TalentStore::mirrorValueName(const QString &screenName)
{
    QString name = screenName;
    name.replace(u'\\', u'_');
    return QStringLiteral("TalentMirror(%1)").arg(name);
}

QString TalentStore::screenName() const
{
    return m_store.readString(path(kScreenValue), QString());
}

void TalentStore::setScreenName(const QString &name)
{
    m_store.writeStringInBackground(path(kScreenValue), name);
}

int TalentStore::charactersPerLine() const
{
    return talentzoom::clampCharacters(
        m_store.readInteger(path(kCharactersValue), talentzoom::kDefaultCharacters));
}

void TalentStore::setCharactersPerLine(int characters)
{
    m_store.writeIntegerInBackground(path(kCharactersValue),
                                     talentzoom::clampCharacters(characters));
}

MirrorFlags TalentStore::mirror(const QString &screenName) const
{
    const QString value = path(mirrorValueName(screenName));
    if (!m_store.valueExists(value))
        return {};
    const int bits = m_store.readInteger(value, kLeftToRight);
    return {(bits & kLeftToRight) != 0, (bits & kTopToBottom) != 0};
}

void TalentStore::setMirror(const QString &screenName, const MirrorFlags &flags)
{
    m_store.writeIntegerInBackground(path(mirrorValueName(screenName)),
                                     (flags.leftToRight ? kLeftToRight : 0) |
                                         (flags.topToBottom ? kTopToBottom : 0));
}
