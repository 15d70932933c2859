// The program's windows, created in their fixed order.
#include "startup.h"

#include "aboutdialog.h"
#include "application.h"
#include "dialogs.h"
#include "optionsdialog.h"
#include "prompterwindow.h"
#include "quickeditdialog.h"
#include "recoveredtext.h"
#include "texts.h"

#include <QDateTime>
#include <QFont>

#include <cstdio>

Windows::Windows() = default;
Windows::Windows(Windows &&) noexcept = default;
Windows::~Windows() = default;

Windows createWindows(Dialogs &dialogs)
{
    // The windows are laid out for Tahoma; Liberation Sans is about as narrow.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    Windows windows;
    windows.prompter = std::make_unique<PrompterWindow>(dialogs);
    windows.quickEdit = std::make_unique<QuickEditDialog>(dialogs);
    windows.options = std::make_unique<OptionsDialog>(dialogs);
    windows.about = std::make_unique<AboutDialog>(dialogs);
    windows.prompter->setDialogs(windows.quickEdit.get(), windows.options.get(),
                                 windows.about.get());
    return windows;
}

void stopOnTerminationSignals(Application &app, QtDialogs &dialogs, const Windows &windows)
{
    QuickEditDialog *editor = windows.quickEdit.get();
    QObject::connect(&app, &Application::terminating, &app, [&dialogs, editor] {
        dialogs.setUnattended();
        if (!editor->holdsUnsavedText())
            return;
        runReported(
            [editor] {
                const QString path =
                    keepRecoveredText(recoveredTextFolders(), editor->proposedFile(),
                                      QDateTime::currentDateTime(), editor->unsavedText());
                std::fprintf(stderr, "tavrix: %s\n",
                             qUtf8Printable(texts::rsRecoveredText.arg(path)));
            },
            [&dialogs](const std::exception &error) { reportError(dialogs, nullptr, error); });
    });
    app.closeOnTerminationSignals(windows.prompter.get(),
                                  [&dialogs] { return dialogs.unattendedMessages() > 0 ? 1 : 0; });
}

void announceRecoveredText(Dialogs &dialogs, const Windows &windows)
{
    // From the event loop, so that a termination signal can end the box.
    PrompterWindow *prompter = windows.prompter.get();
    QMetaObject::invokeMethod(
        prompter,
        [&dialogs, prompter] {
            for (const QString &path : takeRecoveredTextNotes(recoveredTextFolders()))
                dialogs.message(prompter, texts::rsRecoveredText.arg(path));
        },
        Qt::QueuedConnection);
}
