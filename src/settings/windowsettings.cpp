#include "windowsettings.h"

#include "registrystore.h"
#include "storedfont.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int formVersion = 0;
constexpr int restoreToMaximized = 2;

const QString noMinMaxPositions = QStringLiteral("-1,-1,-1,-1");

QString screenSuffix(const ScreenFacts &screen)
{
    return QStringLiteral("(%1x%2)").arg(screen.width).arg(screen.height);
}

// Fields split at blanks and commas, a run of them being one separator.
QList<std::optional<int>> positionFields(QStringView text)
{
    QList<std::optional<int>> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u' ' && text[i] != u',')
            continue;
        if (i > start) {
            bool ok = false;
            const int value = text.sliced(start, i - start).toInt(&ok, 10);
            fields.append(ok ? std::optional<int>(value) : std::nullopt);
        }
        start = i + 1;
    }
    return fields;
}

} // namespace

WindowSettings::WindowSettings(QWidget *window, const QString &windowName, RegistryStore &store,
                               PlacementOptions options, ErrorReport reportError,
                               ScreenProvider screen)
    : m_window(window), m_windowName(windowName), m_store(store), m_options(options),
      m_reportError(std::move(reportError)), m_screen(std::move(screen))
{
    m_window->installEventFilter(this);
}

WindowSettings::~WindowSettings()
{
    if (m_window && !m_saved)
        saveReportingErrors();
}

ScreenFacts WindowSettings::primaryScreenFacts()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->size().width(), screen->size().height(), qRound(screen->logicalDotsPerInch())};
}

void WindowSettings::addInteger(const QString &valueName, std::function<int()> get,
                                std::function<void(int)> set)
{
    m_properties.append({valueName,
                         [this, get](const QString &path, const ScreenFacts &) {
                             m_store.writeInteger(path, get());
                         },
                         [this, get, set](const QString &path, const ScreenFacts &) {
                             if (m_store.valueExists(path))
                                 set(m_store.readInteger(path, get()));
                         }});
}

void WindowSettings::addFont(const QString &keyName, std::function<FontRecord()> get,
                             std::function<void(const FontRecord &)> set)
{
    m_properties.append({keyName,
                         [this, get](const QString &path, const ScreenFacts &screen) {
                             writeStoredFont(m_store, path, get(), screen.pixelsPerInch);
                         },
                         [this, get, set](const QString &path, const ScreenFacts &screen) {
                             if (!m_store.keyExists(path))
                                 return;
                             FontRecord font = get();
                             try {
                                 readStoredFont(m_store, path, font, screen.pixelsPerInch);
                             } catch (const std::exception &) {
                                 // The members before the one that failed stand.
                             }
                             set(font);
                         }});
}

QString WindowSettings::path(const QString &valueName) const
{
    return m_section + u'\\' + valueName;
}

void WindowSettings::resolveSection()
{
    m_section.replace(QStringLiteral("%FORM_NAME%"), m_windowName);
}

void WindowSettings::restore()
{
    resolveSection();
    m_saved = false;
    m_placementApplied = false;
    m_pendingFrameSize.reset();
    const ScreenFacts screen = m_screen();
    RegistryStore::Batch oneRead(m_store);
    if (m_store.readInteger(path(QStringLiteral("FormVersion")), 0) >= formVersion) {
        const int flags = m_store.readInteger(path(QStringLiteral("Flags")), placementFlags());
        restorePlacement(screen);
        if (m_options.testFlag(RememberState))
            restoreShowState(flags);
        for (const StoredProperty &property : std::as_const(m_properties)) {
            try {
                property.restore(path(property.name), screen);
            } catch (const std::exception &) {
                // A property that cannot be applied is skipped; the rest still come back.
            }
        }
    }
    m_restored = true;
}

void WindowSettings::restorePlacement(const ScreenFacts &screen)
{
    const QString suffix = screenSuffix(screen);
    const auto positionText = [&](const QString &name) {
        const QString sized = path(name + suffix);
        return m_store.readString(m_store.valueExists(sized) ? sized : path(name), QString());
    };
    // Nothing of MinMaxPos can be applied; it only tells that placement data is there.
    bool found = !positionText(QStringLiteral("MinMaxPos")).isEmpty();

    const QRect current = m_window->frameGeometry();
    qint64 left = current.left();
    qint64 top = current.top();
    qint64 right = left + current.width();
    qint64 bottom = top + current.height();
    const QString normal = positionText(QStringLiteral("NormPos"));
    if (!normal.isEmpty()) {
        found = true;
        const QList<std::optional<int>> fields = positionFields(normal);
        const auto field = [&](int i, int fallback) -> qint64 {
            return i < fields.size() && fields[i] ? *fields[i] : fallback;
        };
        left = field(0, current.left());
        top = field(1, current.top());
        right = left + field(2, current.width()) - field(0, current.left());
        bottom = top + field(3, current.height()) - field(1, current.top());
    }
    if (!found)
        return;
    // Coordinates of another density would misplace the window; it keeps its designed place.
    if (m_store.readInteger(path(QStringLiteral("PixelsPerInch")), screen.pixelsPerInch) !=
        screen.pixelsPerInch)
        return;
    if (right <= left || bottom <= top)
        return;
    // Far beyond any screen: a damaged value, not a place.
    const auto onScale = [](qint64 v) { return v >= -QWIDGETSIZE_MAX && v <= QWIDGETSIZE_MAX; };
    if (!onScale(left) || !onScale(top) || !onScale(right) || !onScale(bottom))
        return;
    m_placementApplied = true;
    applyFrame(QRect(QPoint(int(left), int(top)), QSize(int(right - left), int(bottom - top))));
}

void WindowSettings::applyFrame(const QRect &frame)
{
    const QRect outer = m_window->frameGeometry();
    const QSize margins = outer.size() - m_window->geometry().size();
    // move() places the frame, also before the window has one; resize() sizes the inside.
    if (m_options.testFlag(RememberPosition))
        m_window->move(frame.topLeft());
    const bool resizable = m_window->minimumSize() != m_window->maximumSize();
    if (!m_options.testFlag(RememberSize) || !resizable)
        return;
    m_window->resize(frame.size() - margins);
    if (margins.isNull() && !m_window->isVisible())
        m_pendingFrameSize = frame.size();
}

void WindowSettings::fitPendingFrame(bool resized)
{
    // A maximized or minimized window shows its normal size only once it is back to normal.
    constexpr Qt::WindowStates notNormal =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!m_pendingFrameSize || !m_window->isVisible() || (m_window->windowState() & notNormal))
        return;
    const QSize margins = m_window->frameGeometry().size() - m_window->geometry().size();
    if (margins.isNull())
        return;
    const QSize frame = *m_pendingFrameSize;
    if (m_window->size() == frame) {
        m_pendingFrameSize.reset();
        m_window->resize(frame - margins);
    } else if (resized) {
        m_pendingFrameSize.reset(); // sized by someone else since the restore: that size stands
    }
}

void WindowSettings::restoreShowState(int flags)
{
    Qt::WindowStates state = m_window->windowState() &
                             ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (m_store.readInteger(path(QStringLiteral("ShowCmd")), 0)) {
    case 2:
    case 6:
    case 7:
        state |= Qt::WindowMinimized;
        if (flags & restoreToMaximized)
            state |= Qt::WindowMaximized;
        break;
    case 3:
        state |= Qt::WindowMaximized;
        break;
    default:
        break;
    }
    // A hidden window takes the state when it is shown.
    m_window->setWindowState(state);
}

QRect WindowSettings::normalFrame() const
{
    const QRect frame = m_window->frameGeometry();
    if (!(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return frame;
    const QRect normal = m_window->normalGeometry();
    if (normal.isEmpty())
        return frame;
    const QRect inner = m_window->geometry();
    return normal.adjusted(frame.left() - inner.left(), frame.top() - inner.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

int WindowSettings::showCmd() const
{
    if (m_window->isMinimized())
        return 2;
    if (m_window->isMaximized())
        return 3;
    return 1;
}

int WindowSettings::placementFlags() const
{
    const Qt::WindowStates state = m_window->windowState();
    return state.testFlag(Qt::WindowMinimized) && state.testFlag(Qt::WindowMaximized)
               ? restoreToMaximized
               : 0;
}

void WindowSettings::save()
{
    resolveSection();
    const ScreenFacts screen = m_screen();
    const QString suffix = screenSuffix(screen);
    const QRect frame = normalFrame();
    const QString normal = QStringLiteral("%1,%2,%3,%4")
                               .arg(frame.left())
                               .arg(frame.top())
                               .arg(frame.left() + frame.width())
                               .arg(frame.top() + frame.height());

    RegistryStore::Batch batch(m_store);
    m_store.writeInteger(path(QStringLiteral("FormVersion")), formVersion);
    if (m_options.testFlag(RememberState))
        m_store.writeInteger(path(QStringLiteral("ShowCmd")), showCmd());
    m_store.writeInteger(path(QStringLiteral("Flags")), placementFlags());
    m_store.writeInteger(path(QStringLiteral("PixelsPerInch")), screen.pixelsPerInch);
    m_store.writeString(path(QStringLiteral("MinMaxPos") + suffix), noMinMaxPositions);
    m_store.writeString(path(QStringLiteral("MinMaxPos")), noMinMaxPositions);
    m_store.writeString(path(QStringLiteral("NormPos") + suffix), normal);
    m_store.writeString(path(QStringLiteral("NormPos")), normal);
    for (const StoredProperty &property : std::as_const(m_properties))
        property.save(path(property.name), screen);
    batch.commit();
    m_saved = true;
}

void WindowSettings::saveReportingErrors() noexcept
{
    try {
        try {
            save();
        } catch (const std::exception &error) {
            if (m_reportError)
                m_reportError(error);
        }
    } catch (...) {
        // Closing and destruction go on whatever the report did.
    }
}

bool WindowSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!m_restored)
            restore();
        fitPendingFrame(false);
        break;
    case QEvent::Move:
    case QEvent::WindowStateChange:
        fitPendingFrame(false);
        break;
    case QEvent::Resize:
        fitPendingFrame(true);
        break;
    case QEvent::Close: {
        // The window's handler decides first, so that a refused close saves nothing.
        QObject *window = m_window;
        window->event(event);
        if (event->isAccepted())
            saveReportingErrors();
        return true;
    }
    default:
        break;
    }
    return false;
}
