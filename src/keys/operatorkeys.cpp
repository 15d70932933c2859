#include "operatorkeys.h"

#include "desktopkeys.h"

#include <algorithm>

OperatorKeys::OperatorKeys(RegistryStore &store, const QString &section, QObject *parent)
    : QObject(parent), m_store(store, section), m_desktop(new DesktopKeys(this))
{
    connect(m_desktop, &DesktopKeys::pressed, this, &OperatorKeys::desktopKey);
}

QStringList OperatorKeys::start()
{
    QStringList problems;
    KeyMapStore::Loaded loaded = m_store.load();
    m_map = loaded.map;
    if (!loaded.problem.isEmpty())
        problems.append(loaded.problem);
    if (m_store.desktopWide() && !boundChords().isEmpty()) {
        if (const auto refused = m_desktop->grab(boundChords())) {
            problems.append(*refused);
            m_store.setDesktopWide(false);
        } else {
            m_desktopWide = true;
        }
    }
    return problems;
}

std::optional<KeyBinding> OperatorKeys::bound(const KeyChord &chord) const
{
    const KeyMap::Meaning meaning = m_map.meaning(chord);
    if (meaning.source != KeyMap::Source::Operator)
        return std::nullopt;
    return meaning.binding;
}

std::optional<QString> OperatorKeys::grab(const QList<KeyChord> &chords)
{
    std::optional<QString> refused = m_desktop->grab(chords);
    // What was taken before is let go either way: the option is off until a grab succeeds.
    if (refused && m_desktopWide) {
        m_desktopWide = false;
        m_store.setDesktopWide(false);
    }
    return refused;
}

void OperatorKeys::apply(const KeyMap &map, bool desktopWide)
{
    m_map = map;
    m_desktopWide = desktopWide;
    if (!desktopWide)
        m_desktop->release();
    m_store.save(map);
    m_store.setDesktopWide(desktopWide);
}

bool OperatorKeys::leadsToBound(int key) const
{
    Qt::KeyboardModifier modifier = Qt::NoModifier;
    switch (key) {
    case Qt::Key_Shift:
        modifier = Qt::ShiftModifier;
        break;
    case Qt::Key_Control:
        modifier = Qt::ControlModifier;
        break;
    case Qt::Key_Alt:
        modifier = Qt::AltModifier;
        break;
    case Qt::Key_Meta:
        modifier = Qt::MetaModifier;
        break;
    default:
        return false;
    }
    const KeyBindingList all = m_map.bindings();
    return std::any_of(all.cbegin(), all.cend(),
                       [modifier](const auto &entry) { return entry.first.modifiers & modifier; });
}

QList<KeyChord> OperatorKeys::boundChords() const
{
    QList<KeyChord> chords;
    for (const auto &[chord, binding] : m_map.bindings())
        chords.append(chord);
    return chords;
}
