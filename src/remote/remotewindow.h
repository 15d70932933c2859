#pragma once

#include <QDialog>

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
    QCheckBox *remoteSwitch = nullptr;
    QLabel *addressLabel = nullptr;
    QLabel *qrLabel = nullptr;
    QSpinBox *portBox = nullptr;
    QLabel *statusLabel = nullptr;
};
