// The program's windows, created in their fixed order.
#include "startup.h"

#include "aboutdialog.h"
#include "optionsdialog.h"
#include "prompterwindow.h"
#include "quickeditdialog.h"

#include <QFont>

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
