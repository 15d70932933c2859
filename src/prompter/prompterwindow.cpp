#include "prompterwindow.h"

#include "application.h"
#include "artwork.h"
#include "bandpanels.h"
#include "colours.h"
#include "connectionprobe.h"
#include "desktopkeys.h"
#include "docking.h"
#include "followcontroller.h"
#include "frameextents.h"
#include "htmlview.h"
#include "incrementslider.h"
#include "keymap.h"
#include "keysdialog.h"
#include "latinkeys.h"
#include "logomenu.h"
#include "operatorkeys.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "registrystore.h"
#include "remoteserver.h"
#include "remotewindow.h"
#include "screenplace.h"
#include "scrollclock.h"
#include "showcontrol.h"
#include "speedmodel.h"
#include "statusstrip.h"
#include "talentscreen.h"
#include "talentwindow.h"
#include "tavrixerror.h"
#include "texts.h"
#include "timeformat.h"
#include "windowsettings.h"

#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

using namespace texts;

namespace {

// Names in the settings store, not role names: existing settings files rely on them.
const QString kStoreRoot = QStringLiteral("software\\morvane\\tavrix");
const QString kStoreSection = QStringLiteral("Form1");
const QString kFontValue = QStringLiteral("FontDialog1_Font");
const QString kStepValue = QStringLiteral("speedmod_Value");
const QString kPeriodValue = QStringLiteral("Timer1_Interval");
const QString kRemotePortValue = QStringLiteral("RemotePort");
const QString kMirrorXValue = QStringLiteral("MirrorLeftToRight");
const QString kMirrorYValue = QStringLiteral("MirrorTopToBottom");
// A name of its own: earlier releases listened everywhere and stored nothing.
const QString kRemoteEveryNetworkValue = QStringLiteral("RemoteEveryNetwork");

} // namespace

template <typename Sender, typename Signal, typename Handler>
void PrompterWindow::on(Sender *sender, Signal signal, Handler handler)
{
    connect(sender, signal, this, [this, handler] { guarded(handler); });
}

PrompterWindow::PrompterWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("prompterWindow"));
    setWindowTitle(rsAppTitle);
    fillBackground(this, Qt::black);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    resize(737, 356);
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook([this](const std::exception &e) { showError(e); });
    scrollTimer = new ScrollClock(300, this);
    scrollTimer->setObjectName(QStringLiteral("scrollTimer"));
    connectionProbe = new ConnectionProbe(this);
    connectionProbe->setObjectName(QStringLiteral("connectionProbe"));
    m_screens = new ScreenWatch(this);
    // The frame may be announced after the window's last move: dock again then too.
    connect(new FrameExtentsWatch(this), &FrameExtentsWatch::changed, this,
            [this] { guarded([this] { redockIfFrameChanged(); }); });
    createControls();
    createSettings();
    connectParts();
    connectMenu();
    setAcceptDrops(true);
    initialise();
}

PrompterWindow::~PrompterWindow()
{
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook({});
}

void PrompterWindow::setDialogs(QuickEditDialog *quickEdit, OptionsDialog *options,
                                AboutDialog *about)
{
    m_windows = {quickEdit, options, about};
}

void PrompterWindow::createControls()
{
    const QList<QPixmap> pictures = makeImageList1();
    auto *root = new QVBoxLayout(this);
    // The band takes whatever width the screen has; the help line clips.
    root->setSizeConstraint(QLayout::SetNoConstraint);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    QFrame *bandArea = namedPanel(this, "bandArea");
    auto *middle = new QHBoxLayout(bandArea);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    logoPanel = new LogoPanel(bandArea);
    middle->addWidget(logoPanel);

    QFrame *viewArea = namedPanel(bandArea, "viewArea");
    auto *viewRow = new QHBoxLayout(viewArea);
    viewRow->setContentsMargins(0, 0, 0, 0);
    viewRow->setSpacing(0);
    QFrame *pageFrame = namedPanel(viewArea, "pageFrame");
    auto *viewBox = new QVBoxLayout(pageFrame);
    viewBox->setContentsMargins(0, 0, 0, 0);
    page = new HtmlView(pageFrame);
    page->setObjectName(QStringLiteral("page"));
    page->setPrintHook([this](QTextDocument *document) { m_dialogs.printPreview(this, document); });
    viewBox->addWidget(page);
    viewRow->addWidget(pageFrame, 1);
    sliders = new SliderColumn(viewArea);
    viewRow->addWidget(sliders);
    middle->addWidget(viewArea, 1);
    root->addWidget(bandArea, 1);

    statusStrip = new StatusStrip(pictures, this);
    root->addWidget(statusStrip);
    logoMenu = new LogoMenu(pictures, this);
    m_remote = new RemoteWindow(m_dialogs, this);
    m_follow = new voice::FollowController(page, this);
    m_keysDialog = new KeysDialog(this);
}

void PrompterWindow::createSettings()
{
    m_store = std::make_unique<RegistryStore>(kStoreRoot);
    m_store->setBackgroundFailureHandler(
        [this](const QString &message) { showError(TavrixError(message)); });
    m_settings = std::make_unique<WindowSettings>(
        this, kStoreSection, *m_store,
        WindowSettings::RememberSize | WindowSettings::RememberPosition,
        [this](const std::exception &error) { showError(error); });
    m_settings->addFont(
        kFontValue, [this] { return m_promptFont; },
        [this](const FontRecord &font) {
            const QString name = m_promptFont.Name;
            m_promptFont = font;
            if (m_promptFont.Name.isEmpty())
                m_promptFont.Name = name;
        });
    m_settings->addInteger(
        kStepValue, [this] { return sliders->step()->value(); },
        [this](int value) { sliders->step()->setValue(std::clamp(value, 1, 10)); });
    m_settings->addInteger(
        kPeriodValue, [this] { return int(scrollTimer->interval()); },
        [this](int value) { scrollTimer->setInterval(unsigned(value)); });
    m_settings->addInteger(
        kRemotePortValue, [this] { return m_remote->port(); },
        [this](int value) { m_remote->setPort(value); });
    const auto mirrorFlag = [this](const QString &name, QAction *item) {
        m_settings->addInteger(
            name, [item] { return item->isChecked() ? 1 : 0; },
            [this, item](int value) {
                item->setChecked(value != 0);
                applyMirror();
            });
    };
    mirrorFlag(kMirrorXValue, logoMenu->item(MenuItem::MirrorLeftToRight));
    mirrorFlag(kMirrorYValue, logoMenu->item(MenuItem::MirrorTopToBottom));
    m_settings->addInteger(
        kRemoteEveryNetworkValue, [this] { return m_remote->everyNetwork() ? 1 : 0; },
        [this](int value) { m_remote->setEveryNetwork(value != 0); });
    talentScreen = new TalentScreen(page, this, *m_store, kStoreSection, logoMenu->flatStyle());
    logoMenu->setTalentMenu(talentScreen->menu());
    m_keys = new OperatorKeys(*m_store, kStoreSection, this);
    m_show = new ShowControl(page, scrollTimer, m_dialogs, *m_store, kStoreSection, this);
    logoMenu->setGoToMenu(m_show->goToMenu());
}

void PrompterWindow::connectParts()
{
    connect(scrollTimer, &ScrollClock::ticks, this,
            [this](int count) { guarded([this, count] { onScrollTick(count); }); });
    connect(scrollTimer, &ScrollClock::frame, this,
            [this] { m_follow->frame(sliders->step()->value()); });
    on(sliders->speed(), &QSlider::valueChanged, [this] { onSpeedSliderChanged(); });
    // The step slider reports only the end of an interaction, not code's own changes.
    on(sliders->step(), &IncrementSlider::interactionFinished, [this] {
        stopFollowing();
        applySpeed();
        page->focus();
    });
    for (IncrementSlider *s : {sliders->speed(), sliders->step()})
        connect(s, &IncrementSlider::released, this, [this] { page->focus(); });
    on(page, &HtmlView::documentComplete, [this] { onPageLoaded(); });
    page->installEventFilter(this);
    connect(page, &HtmlView::keyDown, this,
            [this](int key) { guarded([this, key] { onPageKey(key); }); });
    connect(m_keys, &OperatorKeys::desktopKey, this,
            [this](const KeyChord &chord) { guarded([this, chord] { onBoundKey(chord); }); });
    connect(m_keysDialog, &KeysDialog::applied, this, [this](const KeyMap &map, bool desktopWide) {
        guarded([this, &map, desktopWide] { m_keys->apply(map, desktopWide); });
    });
    connect(page, &HtmlView::click, this,
            [this](Qt::MouseButton button) { guarded([this, button] { onPagePress(button); }); });
    connect(logoPanel, &LogoPanel::menuRequested, logoMenu,
            [this](const QPoint &at) { logoMenu->popup(at); });

    connect(statusStrip, &StatusStrip::released, this, [this](OperatorAction action) {
        guarded([this, action] { act(action, 0, Caller::Button); });
    });
    on(statusStrip, &StatusStrip::repeatStarted, [this] { stopFollowing(); });
    connect(statusStrip, &StatusStrip::repeated, this, [this](OperatorAction action) {
        guarded([this, action] {
            stepSpeed(action == OperatorAction::Faster ? kSpeedStep : -kSpeedStep);
            applySpeed();
        });
    });
    on(statusStrip, &StatusStrip::helpReleased, [this] { toggleHelp(); });
    connect(connectionProbe, &ConnectionProbe::finished, this,
            [this](bool connected) { guarded([this, connected] { onProbeFinished(connected); }); });

    connect(m_screens, &ScreenWatch::refreshRate, scrollTimer, &ScrollClock::setRefreshRate);
    connect(m_screens, &ScreenWatch::screensChanged, this, [this] {
        guarded([this] { dockToScreenEdge(); });
        // The band may not have moved, so nothing else tells the talent screen.
        talentScreen->onScreensChanged();
    });
    // Full screen on another screen, it must still never take a click meant for the band.
    connect(talentScreen, &TalentScreen::opened, this,
            [](TalentWindow *window) { window->setWindowFlag(Qt::WindowTransparentForInput); });

    connect(m_follow, &voice::FollowController::pageMoved, this, &PrompterWindow::updateTimes);
    on(m_show, &ShowControl::countdownFinished, [this] { startMoving(); });
    connect(m_show, &ShowControl::countdownShown, this, [this](const QString &digit) {
        if (TalentWindow *talent = talentScreen->window())
            talent->setOverlayText(digit);
    });
    connect(m_follow, &voice::FollowController::failed, this, [this](const QString &message) {
        stopFollowing();
        m_dialogs.message(this, message);
    });

    // The server hands actions over queued, from the event loop: never inside a socket's signal.
    RemoteServer &server = m_remote->server();
    server.setActionHandler([this](OperatorAction action, int value) {
        guarded([this, action, value] { perform(action, value); });
    });
    server.setReadoutSource([this] { return readout(); });
    connect(this, &PrompterWindow::readoutChanged, &server, &RemoteServer::readoutChanged);
    // Arrow and page keys move the page without an action.
    connect(page->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &PrompterWindow::readoutChanged);
}

void PrompterWindow::connectMenu()
{
    const auto item = [this](MenuItem which, auto handler) {
        on(logoMenu->item(which), &QAction::triggered, handler);
    };
    item(MenuItem::Open, [this] { openSingleScript(); });
    item(MenuItem::Font, [this] { chooseFont(); });
    item(MenuItem::Options, [this] { showOptions(); });
    item(MenuItem::QuickEdit, [this] { quickEditScript(); });
    item(MenuItem::Print, [this] { printScript(); });
    item(MenuItem::StatusStrip, [this] { toggleStatusStrip(); });
    item(MenuItem::About, [this] { showAbout(); });
    item(MenuItem::MirrorLeftToRight, [this] { applyMirror(); });
    item(MenuItem::MirrorTopToBottom, [this] { applyMirror(); });
    item(MenuItem::Remote, [this] { showRemote(); });
    item(MenuItem::FollowVoice, [this] { toggleFollowing(); });
    item(MenuItem::Paste, [this] { pasteScript(); });
    item(MenuItem::Keys, [this] { showKeys(); });
    item(MenuItem::NextMarker, [this] { perform(OperatorAction::NextMarker); });
    item(MenuItem::PreviousMarker, [this] { perform(OperatorAction::PreviousMarker); });
    item(MenuItem::TargetTime, [this] { targetTime(); });
    item(MenuItem::ShowOptions, [this] {
        if (m_show->editOptions())
            setSpeedText(scrollTimer->enabled());
        page->focus();
    });
}

void PrompterWindow::initialise()
{
    // A store that cannot be read is never written over: say so once, from the
    // event loop, where a termination signal can already end the box.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (const std::optional<QString> problem = m_store->readProblem())
                m_dialogs.message(this, rsSettingsUnreadable.arg(*problem));
            guarded([this] {
                for (const QString &problem : m_keys->start())
                    m_dialogs.message(this, problem);
            });
        },
        Qt::QueuedConnection);
    guarded([this] { m_settings->restore(); });
    m_script = {};
    m_script.pageLines = buildStartupPage({m_promptFont.Name, m_promptFont.size(pixelsPerInch())});
    page->loadPage(m_script.pageLines);
    statusStrip->setScriptText(rsNoScript);
    statusStrip->setSpeedText(rsPaused);
    statusStrip->setStepText(rsCoarse + QString::number(sliders->step()->value()));
    guarded([this] { dockToScreenEdge(); });
}

void PrompterWindow::guarded(const std::function<void()> &handler)
{
    runReported(handler, [this](const std::exception &error) { showError(error); });
}

void PrompterWindow::showError(const std::exception &error)
{
    reportError(m_dialogs, this, error);
}

// The operator's actions, shared by the keys, the strip's buttons and the remote.

void PrompterWindow::perform(OperatorAction action, int value)
{
    act(action, value, Caller::Key);
}

void PrompterWindow::act(OperatorAction action, int value, Caller caller)
{
    // Every speed or pause control, the remote's too, hands the page back from the voice; a
    // pause while following leaves the page still (the scroll clock is off while following).
    const bool wasFollowing = stopFollowing();
    const bool key = caller == Caller::Key;
    switch (action) {
    case OperatorAction::Faster:
        stepSpeed(kSpeedStep);
        applySpeed();
        break;
    case OperatorAction::Slower:
        stepSpeed(-kSpeedStep);
        applySpeed();
        break;
    case OperatorAction::CoarseFaster:
        stepCoarse(1);
        break;
    case OperatorAction::CoarseSlower:
        stepCoarse(-1);
        break;
    case OperatorAction::Pause:
        if (wasFollowing) {
            pause();
            page->focus();
        } else {
            togglePause();
        }
        break;
    case OperatorAction::Reverse:
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
        if (!key)
            page->focus();
        break;
    // Every key but those of speed, direction and pause applies the speed first.
    case OperatorAction::Top:
        if (key)
            applySpeed();
        rewindAndPause();
        page->focus();
        break;
    case OperatorAction::Previous:
        if (key)
            applySpeed();
        previousQueueScript();
        break;
    case OperatorAction::Next:
        if (key)
            applySpeed();
        nextQueueScript();
        break;
    case OperatorAction::SetSpeed:
        m_currentSpeed = clampSpeed(value);
        applySpeed();
        break;
    case OperatorAction::SetStep: {
        // Code's own change of the step slider is not reported; applySpeed refreshes the label.
        IncrementSlider *step = sliders->step();
        step->setValue(std::clamp(value, step->minimum(), step->maximum()));
        applySpeed();
        page->focus();
        break;
    }
    // A jump keeps the speed and the pause as they are.
    case OperatorAction::NextMarker:
        m_show->nextMarker();
        updateTimes();
        break;
    case OperatorAction::PreviousMarker:
        m_show->previousMarker();
        updateTimes();
        break;
    }
    Q_EMIT readoutChanged();
}

void PrompterWindow::stepSpeed(int delta)
{
    if ((delta > 0 && m_currentSpeed < kMaxSpeed) || (delta < 0 && m_currentSpeed > -kMaxSpeed))
        m_currentSpeed += delta;
}

void PrompterWindow::stepCoarse(int delta)
{
    IncrementSlider *slider = sliders->step();
    const int step = slider->value() + delta;
    if (step >= slider->minimum() && step <= slider->maximum())
        slider->setValue(step);
    applySpeed();
    page->focus();
}

void PrompterWindow::togglePause()
{
    stopFollowing();
    if (scrollTimer->enabled() || m_show->counting())
        pause();
    else
        startFromPause();
    Q_EMIT readoutChanged();
    page->focus();
}

void PrompterWindow::startFromPause()
{
    if (!m_show->startCountdown(m_currentSpeed))
        startMoving();
}

void PrompterWindow::startMoving()
{
    scrollTimer->setEnabled(true);
    setSpeedText(true);
    Q_EMIT readoutChanged();
}

void PrompterWindow::targetTime()
{
    const int speed = m_scrollForward ? m_currentSpeed : 0;
    if (const auto fit = m_show->fitToTime(speed, sliders->step()->value())) {
        IncrementSlider *step = sliders->step();
        step->setValue(fit->step);
        m_currentSpeed = fit->speed;
        if (scrollTimer->enabled()) {
            applySpeed();
        } else {
            // Set, not started: the operator starts the page when the show begins.
            m_show->cancelCountdown();
            scrollTimer->setInterval(periodForSpeed(m_currentSpeed));
            m_scrollForward = true;
            const QSignalBlocker quiet(sliders->speed());
            sliders->speed()->setValue(m_currentSpeed);
            statusStrip->setStepText(rsCoarse + QString::number(step->value()));
            updateTimes();
        }
        Q_EMIT readoutChanged();
    }
    page->focus();
}

Readout PrompterWindow::readout() const
{
    Readout r;
    statusStrip->readTexts(r);
    r.speedValue = m_currentSpeed;
    r.step = sliders->step()->value();
    r.paused = !scrollTimer->enabled();
    const int position = page->scrollPosition();
    if (m_script.documentLength > 0 && position > 0)
        r.percent = int(
            std::clamp(qint64(position) * 100 / m_script.documentLength, qint64(0), qint64(100)));
    return r;
}

// The scroll engine and the running time readout.

void PrompterWindow::applySpeed()
{
    // A speed control starts the page at once.
    m_show->cancelCountdown();
    m_currentSpeed = clampSpeed(m_currentSpeed);
    scrollTimer->setEnabled(m_currentSpeed != 0);
    scrollTimer->setInterval(periodForSpeed(m_currentSpeed));
    m_scrollForward = m_currentSpeed > 0;
    setSpeedText(scrollTimer->enabled());
    // Runs onSpeedSliderChanged, nested, when the slider's value changes.
    sliders->speed()->setValue(m_currentSpeed);
    statusStrip->setStepText(rsCoarse + QString::number(sliders->step()->value()));
    Q_EMIT readoutChanged();
    // No processing of pending events here: the new labels are painted with
    // the next frame anyway, and a nested event loop would run the timers and
    // sockets that called this under their own feet.
}

void PrompterWindow::setSpeedText(bool moving)
{
    statusStrip->setSpeedText(moving ? rsSpeed + QString::number(m_currentSpeed) +
                                           m_show->wordsPerMinuteText(m_currentSpeed,
                                                                      sliders->step()->value(),
                                                                      m_script.documentLength)
                                     : rsPaused);
}

void PrompterWindow::onSpeedSliderChanged()
{
    stopFollowing();
    m_show->cancelCountdown();
    m_currentSpeed = sliders->speed()->value();
    setSpeedText(true);
    scrollTimer->setInterval(periodForSpeed(m_currentSpeed));
    m_scrollForward = m_currentSpeed > 0;
    if (m_currentSpeed == 0)
        pause();
    else
        scrollTimer->setEnabled(true);
    Q_EMIT readoutChanged();
    page->focus();
}

void PrompterWindow::pause()
{
    m_show->cancelCountdown();
    setSpeedText(false);
    scrollTimer->setEnabled(false);
    logoPanel->showPaused();
    Q_EMIT readoutChanged();
}

void PrompterWindow::rewindAndPause()
{
    page->scrollToTop();
    pause();
}

void PrompterWindow::onScrollTick(int ticks)
{
    const int p = page->scrollPosition();
    const qint64 move = qint64(sliders->step()->value()) * ticks;
    // The view clamps at both ends; a sum past int's range would wrap instead.
    const qint64 target =
        std::clamp<qint64>(m_scrollForward ? p + move : p - move, std::numeric_limits<int>::min(),
                           std::numeric_limits<int>::max());
    page->scrollTo(0, int(target));
    updateTimes();
    Q_EMIT readoutChanged();
}

void PrompterWindow::onPageLoaded()
{
    page->scrollToBottom();
    m_script.documentLength = page->scrollPosition();
    if (m_currentSpeed != 0)
        updateRemaining();
    page->scrollToTop();
    m_follow->pageLoaded();
    Q_EMIT readoutChanged();
}

void PrompterWindow::updateTimes()
{
    updateRemaining();
    const int p = page->scrollPosition();
    statusStrip->setElapsedText(
        rsElapsed +
        formatDuration(elapsedMilliseconds(p, sliders->step()->value(), scrollTimer->interval())));
}

void PrompterWindow::updateRemaining()
{
    const int p = page->scrollPosition();
    statusStrip->setRemainingText(
        rsRemaining +
        formatDuration(remainingMilliseconds(m_script.documentLength, p, sliders->step()->value(),
                                             scrollTimer->interval())));
}

// Letter keys and mouse presses on the page.

void PrompterWindow::onPageKey(int key)
{
    // The action itself stops following: it must know whether a pause ends it.
    if (const auto builtIn = KeyMap::defaultBinding(key)) {
        perform(builtIn->action);
        return;
    }
    stopFollowing();
    applySpeed();
}

void PrompterWindow::onPagePress(Qt::MouseButton button)
{
    // A left press pauses; one that ends following leaves the page still.
    if (stopFollowing() && button == Qt::LeftButton) {
        pause();
        return;
    }
    if (button == Qt::LeftButton) {
        if (m_show->cancelCountdown()) {
            setSpeedText(false);
        } else if (scrollTimer->enabled()) {
            scrollTimer->setEnabled(false);
            setSpeedText(false);
        } else {
            startFromPause();
        }
        Q_EMIT readoutChanged();
    } else if (button == Qt::RightButton) {
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
    }
}

bool PrompterWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == page && event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        const int key = latinLetterKey(press->key(), press->text(), press->nativeScanCode());
        // A bound key does what it is bound to and nothing else, even when that
        // fails: the page stays, and no current speed is applied.
        if (const auto chord = KeyChord::make(key, press->modifiers());
            chord && m_keys->bound(*chord)) {
            guarded([this, &chord] { onBoundKey(*chord); });
            return true;
        }
        if (m_keys->leadsToBound(press->key()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool PrompterWindow::onBoundKey(const KeyChord &chord)
{
    const std::optional<KeyBinding> binding = m_keys->bound(chord);
    if (!binding)
        return false;
    switch (binding->kind) {
    case KeyBinding::Kind::FollowVoice:
        toggleFollowing();
        break;
    case KeyBinding::Kind::TalentScreen:
        toggleTalentScreen();
        break;
    case KeyBinding::Kind::Action:
    case KeyBinding::Kind::SpeedPreset:
        // As the strip's buttons do: no current speed applied first.
        if (const auto action = m_keys->map().operatorAction(*binding))
            act(action->first, action->second, Caller::Button);
        break;
    }
    return true;
}

void PrompterWindow::toggleTalentScreen()
{
    if (talentScreen->window()) {
        talentScreen->choose(QString());
        return;
    }
    const QList<QScreen *> screens = talentScreen->candidates();
    if (screens.isEmpty())
        return;
    QString name = screens.first()->name();
    for (const QScreen *screen : screens)
        if (screen->name() == talentScreen->chosen())
            name = screen->name();
    talentScreen->choose(name);
}

void PrompterWindow::showKeys()
{
    m_keysDialog->setKeyMap(m_keys->map());
    m_keysDialog->setDesktopWideSupport(
        DesktopKeys::supported(),
        [this](const QList<KeyChord> &chords) { return m_keys->grab(chords); });
    m_keysDialog->setDesktopWide(m_keys->desktopWide());
    m_keysDialog->show();
    m_keysDialog->raise();
    m_keysDialog->activateWindow();
}

// Following the speaker's voice.

void PrompterWindow::toggleFollowing()
{
    QAction *item = logoMenu->item(MenuItem::FollowVoice);
    if (m_follow->following()) {
        stopFollowing();
        return;
    }
    // Stays unchecked unless following really starts.
    item->setChecked(false);
    m_follow->start();
    // The voice moves the page now: a countdown must not start the clock under it.
    m_show->cancelCountdown();
    item->setChecked(true);
    scrollTimer->setEnabled(false);
    scrollTimer->setFramesWanted(true);
    statusStrip->setSpeedText(rsFollowing);
    Q_EMIT readoutChanged();
}

bool PrompterWindow::stopFollowing()
{
    if (!m_follow->stop())
        return false;
    logoMenu->item(MenuItem::FollowVoice)->setChecked(false);
    scrollTimer->setFramesWanted(false);
    statusStrip->setSpeedText(rsPaused);
    Q_EMIT readoutChanged();
    return true;
}

// Start-up, docking against the task bar, and shutdown.

void PrompterWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { onShown(); });
}

void PrompterWindow::onShown()
{
    dockToScreenEdge();
    m_screens->start();
    talentScreen->start();
}

void PrompterWindow::dockToScreenEdge()
{
    dockWithOuterHeight(frameGeometry().height());
}

void PrompterWindow::dockWithOuterHeight(int outerHeight)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw TavrixError(rsNoPrimaryScreen);
    const QRect geometry = screen->geometry();
    const QPoint origin = geometry.topLeft();
    const TaskBar bar = taskBarFromScreen(geometry.translated(-origin),
                                          screen->availableGeometry().translated(-origin));
    const bool alignBottom = m_windows.options && m_windows.options->alignBottom();
    const QRect outer =
        dockedPlacement(geometry.width(), geometry.height(), bar, alignBottom, outerHeight);
    // Outer bounds: the frame the window manager adds is part of them.
    m_dockedMargins = frameMargins();
    m_dockedOuterHeight = outer.height();
    setGeometry(outer.translated(origin).marginsRemoved(*m_dockedMargins));
}

QMargins PrompterWindow::frameMargins() const
{
    if (const std::optional<QMargins> announced = announcedFrameMargins(this))
        return *announced;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

bool PrompterWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // A window manager frames the window only once it is shown: dock again as
    // soon as the frame is known, so the band's outer bounds are right from the
    // first frame on.
    const QEvent::Type type = event->type();
    if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate)
        guarded([this] { redockIfFrameChanged(); });
    return handled;
}

void PrompterWindow::redockIfFrameChanged()
{
    if (isVisible() && m_dockedMargins && frameMargins() != *m_dockedMargins)
        dockWithOuterHeight(m_dockedOuterHeight);
}

void PrompterWindow::toggleStatusStrip()
{
    const int change = statusStrip->toggleShown();
    logoMenu->item(MenuItem::StatusStrip)->setChecked(change > 0);
    if (m_windows.options && m_windows.options->alignBottom()) {
        // Docked at the bottom the band keeps its bottom edge, so it stays docked.
        dockWithOuterHeight(m_dockedOuterHeight + change);
    } else {
        // resize() keeps the top edge where it is, so the view keeps its height.
        resize(width(), height() + change);
        m_dockedOuterHeight += change;
    }
    page->focus();
}

void PrompterWindow::closeEvent(QCloseEvent *event)
{
    guarded([this] { onClosing(); });
    event->accept();
}

void PrompterWindow::onClosing()
{
    if (m_windows.options)
        m_windows.options->clearQueue();
    talentScreen->stop();
    m_settings->save();
}
