#pragma once

#include <QApplication>
#include <QPointer>

#include <exception>
#include <functional>

// The application object: every error that escapes an event handler ends up
// in the error hook, and the event loop goes on.
class Application final : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Application)

public:
    using ExceptionHook = std::function<void(const std::exception &)>;

    Application(int &argc, char **argv);

    void setExceptionHook(ExceptionHook hook) { m_hook = std::move(hook); }

    // SIGTERM, SIGINT and SIGHUP (logout, a service manager, Ctrl+C) close
    // `window` as its close box would, so its settings are saved, and the
    // program then ends with the status `exitStatus` gives after the close
    // (0 without it). terminating() comes first, while the dialogs are still up.
    void closeOnTerminationSignals(QWidget *window, std::function<int()> exitStatus = {});
    bool notify(QObject *receiver, QEvent *event) override;

Q_SIGNALS:
    void terminating();

private:
    void onTerminationSignal();

    ExceptionHook m_hook;
    QPointer<QWidget> m_closeOnSignal;
    std::function<int()> m_exitStatus;
    bool m_terminating = false;
};

// The toolkit's silent cancel: reaches no hook and shows nothing.
class SilentAbort final : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Runs a handler; an error that escapes it goes to `report`, a silent cancel nowhere.
void runReported(const std::function<void()> &handler, const Application::ExceptionHook &report);
