#include "talentscreen.h"

#include "screenplace.h"
#include "talentwindow.h"
#include "talentzoom.h"
#include "texts.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWindow>

using namespace texts;

TalentScreen::TalentScreen(HtmlView *band, QWidget *bandWindow, RegistryStore &store,
                           const QString &section, QStyle *menuStyle)
    : QObject(bandWindow), m_band(band), m_bandWindow(bandWindow), m_store(store, section),
      m_characters(talentzoom::kDefaultCharacters)
{
    setObjectName(QStringLiteral("talentScreen"));
    m_menu = new QMenu(rsTalentScreen, bandWindow);
    m_menu->setObjectName(QStringLiteral("talentMenu"));
    if (menuStyle)
        m_menu->setStyle(menuStyle);
    connect(m_menu, &QMenu::aboutToShow, this, &TalentScreen::fillMenu);
    fillMenu();
    auto *app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &TalentScreen::onScreensChanged);
        onScreensChanged();
    });
    // Queued: the screen is still listed while the signal runs.
    connect(app, &QGuiApplication::screenRemoved, this, &TalentScreen::onScreensChanged,
            Qt::QueuedConnection);
    connect(app, &QGuiApplication::screenRemoved, this, [this](QScreen *screen) {
        if (screen == m_screen)
            closeWindow();
    });
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, &TalentScreen::onScreensChanged);
}

TalentScreen::~TalentScreen() = default;

void TalentScreen::start()
{
    if (m_started)
        return;
    m_started = true;
    // The band moving onto the talent's screen closes the talent window, and back opens it.
    if (QWindow *band = m_bandWindow->windowHandle(); band && !m_followsBand) {
        connect(band, &QWindow::screenChanged, this, &TalentScreen::onScreensChanged);
        m_followsBand = true;
    }
    m_chosen = m_store.screenName();
    m_characters = m_store.charactersPerLine();
    onScreensChanged();
}

TalentWindow *TalentScreen::window() const
{
    return m_window.get();
}

void TalentScreen::stop()
{
    closeWindow();
    m_started = false;
}

QList<QScreen *> TalentScreen::candidates() const
{
    QList<QScreen *> screens = QGuiApplication::screens();
    screens.removeAll(screenOf(m_bandWindow));
    return screens;
}

QScreen *TalentScreen::chosenScreen() const
{
    if (m_chosen.isEmpty())
        return nullptr;
    for (QScreen *screen : candidates()) {
        if (screen->name() == m_chosen)
            return screen;
    }
    return nullptr;
}

void TalentScreen::choose(const QString &screenName)
{
    m_store.setScreenName(screenName);
    m_chosen = screenName;
    m_started = true;
    onScreensChanged();
}

void TalentScreen::onScreensChanged()
{
    if (!m_started)
        return;
    QScreen *screen = chosenScreen();
    if (!screen) {
        closeWindow();
    } else if (screen != m_screen || !m_window) {
        closeWindow();
        m_screen = screen;
        openWindow();
    } else if (m_window->geometry() != screen->geometry()) {
        m_window->setGeometry(screen->geometry());
    }
}

void TalentScreen::openWindow()
{
    m_window = std::make_unique<TalentWindow>(m_band);
    m_window->setMirror(m_store.mirror(m_chosen));
    m_window->setCharactersPerLine(m_characters);
    m_window->setScreen(m_screen);
    m_window->setGeometry(m_screen->geometry());
    Q_EMIT opened(m_window.get());
    // Full screen without asking for the focus: the band keeps the keys.
    m_window->setWindowState(Qt::WindowFullScreen);
    m_window->showPrepared();
}

void TalentScreen::closeWindow()
{
    if (m_window) {
        m_window->hide();
        m_window.reset();
    }
    m_screen = nullptr;
}

void TalentScreen::setMirror(const MirrorFlags &flags)
{
    if (m_chosen.isEmpty())
        return;
    m_store.setMirror(m_chosen, flags);
    if (m_window)
        m_window->setMirror(flags);
}

MirrorFlags TalentScreen::mirror() const
{
    return m_chosen.isEmpty() ? MirrorFlags() : m_store.mirror(m_chosen);
}

void TalentScreen::largerText()
{
    m_characters = talentzoom::larger(m_characters);
    m_store.setCharactersPerLine(m_characters);
    if (m_window)
        m_window->setCharactersPerLine(m_characters);
}

void TalentScreen::smallerText()
{
    m_characters = talentzoom::smaller(m_characters);
    m_store.setCharactersPerLine(m_characters);
    if (m_window)
        m_window->setCharactersPerLine(m_characters);
}

void TalentScreen::fillMenu()
{
    m_menu->clear();
    const QString shown = m_window ? m_chosen : QString();
    for (QScreen *screen : candidates()) {
        const QSize size = screen->size();
        QAction *item = m_menu->addAction(
            rsScreenItem.arg(screen->name()).arg(size.width()).arg(size.height()));
        item->setObjectName(QStringLiteral("talentScreenAction"));
        item->setData(screen->name());
        item->setCheckable(true);
        item->setChecked(screen->name() == shown);
        connect(item, &QAction::triggered, this, [this, name = screen->name()] { choose(name); });
    }
    QAction *off = m_menu->addAction(rsTalentOff);
    off->setObjectName(QStringLiteral("talentOffAction"));
    off->setCheckable(true);
    off->setChecked(shown.isEmpty());
    connect(off, &QAction::triggered, this, [this] { choose(QString()); });
    m_menu->addSeparator();
    const MirrorFlags flags = mirror();
    QAction *leftToRight = m_menu->addAction(rsMirrorLeftToRight);
    leftToRight->setObjectName(QStringLiteral("talentMirrorLeftToRightAction"));
    QAction *topToBottom = m_menu->addAction(rsMirrorTopToBottom);
    topToBottom->setObjectName(QStringLiteral("talentMirrorTopToBottomAction"));
    for (QAction *item : {leftToRight, topToBottom}) {
        item->setCheckable(true);
        // The flags belong to the chosen screen.
        item->setEnabled(!m_chosen.isEmpty());
    }
    leftToRight->setChecked(flags.leftToRight);
    topToBottom->setChecked(flags.topToBottom);
    connect(leftToRight, &QAction::triggered, this, [this](bool on) {
        MirrorFlags f = mirror();
        f.leftToRight = on;
        setMirror(f);
    });
    connect(topToBottom, &QAction::triggered, this, [this](bool on) {
        MirrorFlags f = mirror();
        f.topToBottom = on;
        setMirror(f);
    });
    m_menu->addSeparator();
    QAction *larger = m_menu->addAction(rsLargerText);
    larger->setObjectName(QStringLiteral("largerTextAction"));
    connect(larger, &QAction::triggered, this, &TalentScreen::largerText);
    QAction *smaller = m_menu->addAction(rsSmallerText);
    smaller->setObjectName(QStringLiteral("smallerTextAction"));
    connect(smaller, &QAction::triggered, this, &TalentScreen::smallerText);
}
