// The remote control: its window, its menu item and its wiring to the actions.
#include "prompterwindow.h"

#include "htmlview.h"
#include "remoteserver.h"
#include "remotewindow.h"
#include "windowsettings.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>

namespace {

const QString kRemoteControl = QStringLiteral("Remote Control...");
// A name of its own: earlier releases listened everywhere and stored nothing.
const QString kRemoteEveryNetworkValue = QStringLiteral("RemoteEveryNetwork");

} // namespace

void PrompterWindow::createRemote()
{
    m_remote = new RemoteWindow(m_dialogs, this);
    RemoteServer &server = m_remote->server();
    m_settings->addInteger(
        kRemoteEveryNetworkValue, [this] { return m_remote->everyNetwork() ? 1 : 0; },
        [this](int value) { m_remote->setEveryNetwork(value != 0); });
    // The server hands actions over queued, from the event loop: never inside a socket's signal.
    server.setActionHandler([this](OperatorAction action, int value) {
        guarded([this, action, value] { perform(action, value); });
    });
    server.setReadoutSource([this] { return readout(); });
    connect(this, &PrompterWindow::readoutChanged, &server, &RemoteServer::readoutChanged);
    // Arrow and page keys move the page without an action.
    connect(page->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &PrompterWindow::readoutChanged);

    logoMenu->addSeparator();
    remoteAction = logoMenu->addAction(kRemoteControl);
    remoteAction->setObjectName(QStringLiteral("remoteAction"));
    connect(remoteAction, &QAction::triggered, this, [this] { guarded([this] { showRemote(); }); });
}

void PrompterWindow::showRemote()
{
    m_remote->show();
    m_remote->raise();
    m_remote->activateWindow();
}
