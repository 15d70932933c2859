#pragma once

#include <QDialog>
#include <QHostAddress>

class Dialogs;
class QCheckBox;
class QLabel;
class QSpinBox;
class RemoteServer;

// The remote control window: the switch that starts and stops the server,
// the address a phone opens, the same as a QR code, and the port.
class RemoteWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteWindow)

public:
    explicit RemoteWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~RemoteWindow() override;

    RemoteServer &server() { return *m_server; }
    // The port the next start uses; the owner stores it.
    int port() const;
    void setPort(int port);
    // Listen on every network of the machine rather than on the address
    // shown and this machine's own; the owner stores it.
    bool everyNetwork() const;
    void setEveryNetwork(bool on);
    // The address shown, empty while the server is off.
    QString address() const { return m_address; }

    void startServer();
    void stopServer();

private:
    void onSwitch(bool on);
    void showState();

    Dialogs &m_dialogs;
    RemoteServer *m_server = nullptr;
    QString m_address;
    QHostAddress m_shown; // the machine's address on the network when the server started
    QCheckBox *remoteSwitch = nullptr;
    QCheckBox *everyNetworkBox = nullptr;
    QLabel *listenLabel = nullptr;
    QLabel *addressLabel = nullptr;
    QLabel *qrLabel = nullptr;
    QSpinBox *portBox = nullptr;
    QLabel *statusLabel = nullptr;
};
