#include "application.h"
#include "artwork.h"
#include "dialogs.h"
#include "platformchoice.h"
#include "prompterwindow.h"
#include "startup.h"
#include "texts.h"

int main(int argc, char **argv)
{
    preferX11OnWayland();
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("tavrix"));
    Application::setApplicationVersion(QStringLiteral("2.0.0"));
    Application::setDesktopFileName(QStringLiteral("org.tavrix.tavrix"));
    Application::setWindowIcon(makeAppIcon());
    QtDialogs dialogs;
    Windows windows = createWindows(dialogs);
    stopOnTerminationSignals(app, dialogs, windows);
    windows.prompter->show();
    announceRecoveredText(dialogs, windows);
    return Application::exec();
}
