#include "application.h"
#include "artwork.h"
#include "dialogs.h"
#include "platformchoice.h"
#include "resourceunit.h"
#include "startup.h"
#include "unit1.h"

int main(int argc, char **argv)
{
    preferX11OnWayland();
    TApplication app(argc, argv);
    TApplication::setApplicationName(QStringLiteral("tavrix"));
    TApplication::setApplicationDisplayName(resourceunit::rsAppTitle);
    TApplication::setApplicationVersion(QStringLiteral("2.0.0"));
    TApplication::setDesktopFileName(QStringLiteral("org.tavrix.tavrix"));
    TApplication::setWindowIcon(makeAppIcon());
    QtDialogs dialogs;
    Windows windows = createWindows(dialogs);
    windows.Form1->show();
    return TApplication::exec();
}
