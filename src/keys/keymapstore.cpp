#include "keymapstore.h"

#include "registrystore.h"

#include <QCoreApplication>
#include <QSet>
#include <QUrl>

namespace {

const QString kBindingsValue = QStringLiteral("KeyBindings");
const QString kPresetsValue = QStringLiteral("KeySpeedPresets");
const QString kDesktopWideValue = QStringLiteral("KeysDesktopWide");
constexpr QChar kEntrySeparator = u';';
constexpr QChar kNameSeparator = u'=';

QString tr(const char *text)
{
    return QCoreApplication::translate("KeyMapStore", text);
}

QString encodedName(const KeyChord &chord)
{
    // Keeps "Ctrl+PgDown" readable; ";", "=", "%" and blanks get escaped.
    return QString::fromLatin1(QUrl::toPercentEncoding(chord.portableName(), "+()"));
}

QString shortened(QStringView text)
{
    constexpr qsizetype kShown = 40;
    return text.size() <= kShown ? text.toString() : text.left(kShown).toString() + u"...";
}

} // namespace

KeyMapStore::KeyMapStore(RegistryStore &store, const QString &section)
    : m_store(store), m_section(section)
{}

QString KeyMapStore::path(const QString &valueName) const
{
    return m_section + u'\\' + valueName;
}

QString KeyMapStore::bindingsText(const KeyMap &map)
{
    QStringList entries;
    for (const auto &[chord, binding] : map.bindings())
        entries.append(encodedName(chord) + kNameSeparator + binding.name());
    return entries.join(kEntrySeparator);
}

QString KeyMapStore::presetsText(const KeyMap &map)
{
    QStringList speeds;
    for (int n = 1; n <= KeyMap::kSpeedPresetCount; ++n)
        speeds.append(QString::number(map.speedPreset(n)));
    return speeds.join(u',');
}

QString KeyMapStore::parseBindings(const QString &text, KeyMap &map)
{
    if (text.isEmpty())
        return {};
    // Counted before anything is parsed, so a huge value costs one pass.
    if (text.count(kEntrySeparator) >= KeyMap::kMaxBindings)
        return tr("it holds more than %1 keys").arg(KeyMap::kMaxBindings);
    KeyMap parsed = map;
    QSet<KeyChord> seen;
    for (const QStringView entry : QStringView(text).split(kEntrySeparator)) {
        const qsizetype equals = entry.indexOf(kNameSeparator);
        if (equals < 0)
            return tr("\"%1\" names no action").arg(shortened(entry));
        const QString keyName = QUrl::fromPercentEncoding(entry.left(equals).toString().toUtf8());
        const auto chord = KeyChord::fromPortableName(keyName);
        if (!chord)
            return tr("\"%1\" is not a key").arg(shortened(entry.left(equals)));
        const auto binding = KeyBinding::fromName(entry.mid(equals + 1));
        if (!binding)
            return tr("\"%1\" is not an action").arg(shortened(entry.mid(equals + 1)));
        if (seen.contains(*chord))
            return tr("%1 is bound twice").arg(chord->displayName());
        seen.insert(*chord);
        parsed.bind(*chord, *binding);
    }
    map = parsed;
    return {};
}

QString KeyMapStore::parsePresets(const QString &text, KeyMap &map)
{
    if (text.isEmpty())
        return {};
    const QList<QStringView> speeds = QStringView(text).split(u',');
    if (speeds.size() != KeyMap::kSpeedPresetCount)
        return tr("the speed presets are not nine numbers");
    KeyMap parsed = map;
    for (int n = 1; n <= KeyMap::kSpeedPresetCount; ++n) {
        const auto speed = actionValueFromText(speeds.at(n - 1));
        if (!speed)
            return tr("the speed presets are not nine numbers");
        parsed.setSpeedPreset(n, *speed);
    }
    map = parsed;
    return {};
}

KeyMapStore::Loaded KeyMapStore::load() const
{
    Loaded loaded;
    QString problem =
        parseBindings(m_store.readString(path(kBindingsValue), QString()), loaded.map);
    if (problem.isEmpty())
        problem = parsePresets(m_store.readString(path(kPresetsValue), QString()), loaded.map);
    if (!problem.isEmpty()) {
        loaded.map = KeyMap();
        loaded.problem = tr("The stored keys cannot be used (%1); the standard keys are in use "
                            "until you change them in Keys and Devices.")
                             .arg(problem);
    }
    return loaded;
}

void KeyMapStore::save(const KeyMap &map)
{
    RegistryStore::Batch batch(m_store);
    m_store.writeString(path(kBindingsValue), bindingsText(map));
    m_store.writeString(path(kPresetsValue), presetsText(map));
    batch.commit();
}

bool KeyMapStore::desktopWide() const
{
    return m_store.readInteger(path(kDesktopWideValue), 0) != 0;
}

void KeyMapStore::setDesktopWide(bool on)
{
    m_store.writeInteger(path(kDesktopWideValue), on ? 1 : 0);
}
