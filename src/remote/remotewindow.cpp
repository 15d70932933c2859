#include "remotewindow.h"

#include "dialogs.h"
#include "lanaddress.h"
#include "qrcode.h"
#include "remoteserver.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

RemoteWindow::RemoteWindow(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_server(new RemoteServer(this))
{
    setObjectName(QStringLiteral("remoteWindow"));
    setWindowTitle(tr("Remote Control"));
    auto *layout = new QVBoxLayout(this);
    remoteSwitch = new QCheckBox(tr("Remote control on"), this);
    remoteSwitch->setObjectName(QStringLiteral("remoteSwitch"));
    layout->addWidget(remoteSwitch);
    auto *form = new QFormLayout;
    portBox = new QSpinBox(this);
    portBox->setObjectName(QStringLiteral("portBox"));
    portBox->setRange(1024, 65535);
    portBox->setValue(RemoteServer::kDefaultPort);
    form->addRow(tr("Port:"), portBox);
    addressLabel = new QLabel(this);
    addressLabel->setObjectName(QStringLiteral("addressLabel"));
    addressLabel->setTextFormat(Qt::PlainText);
    addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Typed by hand when no camera is at hand: 0 and O, 1 and l must not look alike.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(12);
    addressLabel->setFont(fixed);
    form->addRow(tr("Open on the phone:"), addressLabel);
    layout->addLayout(form);
    qrLabel = new QLabel(this);
    qrLabel->setObjectName(QStringLiteral("qrLabel"));
    qrLabel->setAlignment(Qt::AlignCenter);
    qrLabel->setMinimumSize(200, 200);
    layout->addWidget(qrLabel, 1);
    listenLabel = new QLabel(this);
    listenLabel->setObjectName(QStringLiteral("listenLabel"));
    listenLabel->setTextFormat(Qt::PlainText);
    listenLabel->setWordWrap(true);
    layout->addWidget(listenLabel);
    // Below the address and the code, which keep their places in the window.
    everyNetworkBox = new QCheckBox(tr("Listen on every network of this computer"), this);
    everyNetworkBox->setObjectName(QStringLiteral("everyNetworkBox"));
    layout->addWidget(everyNetworkBox);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setTextFormat(Qt::PlainText);
    statusLabel->setWordWrap(true);
    layout->addWidget(statusLabel);
    connect(remoteSwitch, &QCheckBox::toggled, this, &RemoteWindow::onSwitch);
    connect(m_server, &RemoteServer::clientsChanged, this, &RemoteWindow::showState);
    showState();
}

RemoteWindow::~RemoteWindow()
{
    // The server outlives this part of the window: its last signals find no labels.
    disconnect(m_server, nullptr, this, nullptr);
    m_server->stop();
}

int RemoteWindow::port() const
{
    return portBox->value();
}

void RemoteWindow::setPort(int port)
{
    portBox->setValue(port);
}

bool RemoteWindow::everyNetwork() const
{
    return everyNetworkBox->isChecked();
}

void RemoteWindow::setEveryNetwork(bool on)
{
    everyNetworkBox->setChecked(on);
}

void RemoteWindow::startServer()
{
    remoteSwitch->setChecked(true);
}

void RemoteWindow::stopServer()
{
    remoteSwitch->setChecked(false);
}

void RemoteWindow::onSwitch(bool on)
{
    if (!on) {
        m_server->stop();
        showState();
        return;
    }
    if (m_server->isRunning())
        return;
    // The address shown and this machine's own, not a VPN or a container's bridge.
    m_shown = lanAddress();
    const QList<QHostAddress> addresses =
        everyNetworkBox->isChecked()
            ? QList<QHostAddress>{QHostAddress(QHostAddress::Any)}
            : QList<QHostAddress>{m_shown, QHostAddress(QHostAddress::LocalHost)};
    if (!m_server->start(quint16(portBox->value()), addresses)) {
        const QSignalBlocker block(remoteSwitch);
        remoteSwitch->setChecked(false);
        showState();
        statusLabel->setText(m_server->errorText());
        m_dialogs.message(this, m_server->errorText());
        return;
    }
    showState();
}

void RemoteWindow::showState()
{
    const bool running = m_server->isRunning();
    portBox->setEnabled(!running);
    everyNetworkBox->setEnabled(!running);
    if (!running) {
        m_address.clear();
        addressLabel->setText(tr("(off)"));
        listenLabel->clear();
        qrLabel->clear();
        statusLabel->setText(tr("Off"));
        return;
    }
    const QString address = QStringLiteral("http://%1:%2/?k=%3")
                                .arg(m_shown.toString())
                                .arg(m_server->port())
                                .arg(QString::fromLatin1(m_server->key()));
    if (address != m_address) {
        m_address = address;
        addressLabel->setText(address);
        qrLabel->setPixmap(QPixmap::fromImage(qrCodeImage(address, 5)));
    }
    listenLabel->setText(
        everyNetworkBox->isChecked() ? tr("Listening on every network of this computer.")
        : m_shown.isLoopback()
            ? tr("Listening on this computer only (%1): no network was found.")
                  .arg(m_shown.toString())
            : tr("Listening on %1 and on this computer (127.0.0.1) only.").arg(m_shown.toString()));
    statusLabel->setText(tr("On: %n client(s) connected", nullptr, m_server->clientCount()));
}
