#include "application.h"

#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read in the event loop: the only safe way out
// of a handler.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

void Application::closeOnTerminationSignals(QWidget *window, std::function<int()> exitStatus)
{
    m_closeOnSignal = window;
    m_exitStatus = std::move(exitStatus);
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], bytes, sizeof bytes);
        onTerminationSignal();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void Application::onTerminationSignal()
{
    // A second signal while the first is handled changes nothing.
    if (m_terminating)
        return;
    m_terminating = true;
    Q_EMIT terminating();
    // Open dialogs end first, unanswered, so that nothing waits for the operator.
    while (QWidget *modal = activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->hide();
    }
    if (m_closeOnSignal)
        m_closeOnSignal->close();
    exit(m_exitStatus ? m_exitStatus() : 0);
}

void runReported(const std::function<void()> &handler, const Application::ExceptionHook &report)
{
    try {
        handler();
    } catch (const SilentAbort &) {
    } catch (const std::exception &error) {
        report(error);
    }
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentAbort &) {
    } catch (const std::exception &error) {
        if (m_hook)
            m_hook(error);
    }
    return false;
}
