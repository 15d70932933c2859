#include "application.h"

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

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
