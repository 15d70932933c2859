// Start-up, docking against the task bar, and shutdown of the prompter window.
#include "prompterwindow.h"

#include "screenplace.h"

#include "aboutdialog.h"
#include "docking.h"
#include "htmlview.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "quickeditdialog.h"
#include "registrystore.h"
#include "scrollclock.h"
#include "talentscreen.h"
#include "tavrixerror.h"
#include "texts.h"
#include "windowsettings.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QWindow>

using namespace texts;

void PrompterWindow::initialise()
{
    assignTexts();
    // A store that cannot be read is never written over: say so once, from the
    // event loop, where a termination signal can already end the box.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (const std::optional<QString> problem = m_store->readProblem())
                m_dialogs.message(this, rsSettingsUnreadable.arg(*problem));
        },
        Qt::QueuedConnection);
    guarded([this] { m_settings->restore(); });
    viewArea->setVisible(true);
    m_helpShown = false;
    m_scriptLines.clear();
    m_scriptEndsAtNul = false;
    m_pageLines.clear();
    m_pageLines = buildStartupPage({m_promptFont.Name, m_promptFont.size(pixelsPerInch())});
    page->loadPage(m_pageLines);
    scriptLabel->setText(rsNoScript);
    speedLabel->setText(rsPaused);
    versionLabel->setText(rsVersion);
    stepLabel->setText(rsCoarse + QString::number(stepSlider->value()));
    guarded([this] { dockToScreenEdge(); });
}

void PrompterWindow::onShown()
{
    dockToScreenEdge();
    followScreenRate();
    followScreenChanges();
    talentScreen->start();
}

void PrompterWindow::followScreenChanges()
{
    if (m_followsScreenChanges)
        return;
    m_followsScreenChanges = true;
    const auto watch = [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &PrompterWindow::redockSoon);
        connect(screen, &QScreen::availableGeometryChanged, this, &PrompterWindow::redockSoon);
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen *screen) {
        watch(screen);
        redockSoon();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &PrompterWindow::redockSoon);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &PrompterWindow::redockSoon);
}

void PrompterWindow::redockSoon()
{
    // Once the screens have settled: one change comes as several signals, and a
    // removed screen is still listed while its own signal runs.
    if (m_redockPending)
        return;
    m_redockPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_redockPending = false;
            guarded([this] { dockToScreenEdge(); });
            // The band may not have moved, so nothing else tells the talent screen.
            talentScreen->onScreensChanged();
        },
        Qt::QueuedConnection);
}

void PrompterWindow::followScreenRate()
{
    QWindow *window = windowHandle();
    followRateOf(screenOf(this));
    if (!window || m_followsScreen)
        return;
    m_followsScreen = true;
    connect(window, &QWindow::screenChanged, this, &PrompterWindow::followRateOf);
}

// A monitor can change its rate while the band stays on it.
void PrompterWindow::followRateOf(QScreen *screen)
{
    disconnect(m_screenRate);
    if (!screen)
        return;
    scrollTimer->setRefreshRate(screen->refreshRate());
    m_screenRate =
        connect(screen, &QScreen::refreshRateChanged, scrollTimer, &ScrollClock::setRefreshRate);
}

void PrompterWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { onShown(); });
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
    const bool alignBottom = m_options && m_options->alignBottom();
    const QRect outer =
        dockedPlacement(geometry.width(), geometry.height(), bar, alignBottom, outerHeight);
    // Outer bounds: the frame the window manager adds is part of them.
    m_dockedMargins = frameMargins();
    m_dockedOuterHeight = outer.height();
    setGeometry(outer.translated(origin).marginsRemoved(*m_dockedMargins));
}

QMargins PrompterWindow::frameMargins() const
{
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
    if (isVisible() && m_dockedMargins &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate) &&
        frameMargins() != *m_dockedMargins) {
        guarded([this] { dockWithOuterHeight(m_dockedOuterHeight); });
    }
    return handled;
}

void PrompterWindow::closeEvent(QCloseEvent *event)
{
    guarded([this] { onClosing(); });
    event->accept();
}

void PrompterWindow::onClosing()
{
    if (m_options)
        m_options->clearQueue();
    talentScreen->stop();
    m_settings->save();
}
