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
    // program then ends with status 0.
    void closeOnTerminationSignals(QWidget *window);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    void onTerminationSignal();

    ExceptionHook m_hook;
    QPointer<QWidget> m_closeOnSignal;
};

// The toolkit's silent cancel: reaches no hook and shows nothing.
class SilentAbort final : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Runs a handler; an error that escapes it goes to `report`, a silent cancel nowhere.
void runReported(const std::function<void()> &handler, const Application::ExceptionHook &report);
