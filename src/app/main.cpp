#include "application.h"
#include "artwork.h"
#include "dialogs.h"
#include "platformchoice.h"
#include "prompterwindow.h"
#include "startup.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

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
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Tavrix, a teleprompter: shows a script on a black band and scrolls it."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Scripts to show (.txt, .rtf, .docx, .odt, .md): one opens as the "
                       "script, several become the queue."),
        QStringLiteral("[files...]"));
    options.process(app);
    QStringList scripts;
    for (const QString &argument : options.positionalArguments())
        scripts.append(QFileInfo(argument).absoluteFilePath());
    QtDialogs dialogs;
    Windows windows = createWindows(dialogs);
    stopOnTerminationSignals(app, dialogs, windows);
    windows.prompter->show();
    announceRecoveredText(dialogs, windows);
    // From the event loop, so that a file that cannot be read is reported as the menu's would be.
    if (!scripts.isEmpty()) {
        QTimer::singleShot(0, windows.prompter.get(),
                           [&windows, scripts] { windows.prompter->openScripts(scripts); });
    }
    return Application::exec();
}
