#pragma once

#include <QApplication>

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
    bool notify(QObject *receiver, QEvent *event) override;

private:
    ExceptionHook m_hook;
};

// The toolkit's silent cancel: reaches no hook and shows nothing.
class SilentAbort final : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Runs a handler; an error that escapes it goes to `report`, a silent cancel nowhere.
void runReported(const std::function<void()> &handler, const Application::ExceptionHook &report);
