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
    // Glyphs above this size are filled as outlines. Measured on Debian's Qt 6.4
    // under X11: without the limit set, the talent screen's scaled-up text (over
    // 100 px a glyph) was cached blank and never showed.
    if (!qEnvironmentVariableIsSet("QT_MAX_CACHED_GLYPH_SIZE"))
        qputenv("QT_MAX_CACHED_GLYPH_SIZE", "64");
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
