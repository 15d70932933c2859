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
    windows.Form1 = std::make_unique<TForm1>(dialogs);
    windows.Form2 = std::make_unique<TForm2>();
    windows.Form4 = std::make_unique<TForm4>(dialogs);
    windows.aboutform = std::make_unique<Taboutform>();
    windows.Form1->setDialogs(windows.Form2.get(), windows.Form4.get(), windows.aboutform.get());
    return windows;
}
