#pragma once

#include <memory>

class Application;
class Dialogs;
class QtDialogs;
class PrompterWindow;
class QuickEditDialog;
class OptionsDialog;
class AboutDialog;

// The program's four windows, created in their fixed order; only the main
// window is ever shown at start-up.
struct Windows
{
    std::unique_ptr<PrompterWindow> prompter;
    std::unique_ptr<QuickEditDialog> quickEdit;
    std::unique_ptr<OptionsDialog> options;
    std::unique_ptr<AboutDialog> about;

    Windows();
    Windows(Windows &&) noexcept;
    ~Windows();
};

Windows createWindows(Dialogs &dialogs);

// A termination signal ends the program without waiting for anyone: messages
// go to standard error, the quick editor's unsaved text is kept in the
// recovered folder, the band closes and saves its settings; the status is 1
// when something could not be saved, else 0.
void stopOnTerminationSignals(Application &app, QtDialogs &dialogs, const Windows &windows);

// Tells the operator where the editor's text was kept when the program was
// last stopped with it unsaved.
void announceRecoveredText(Dialogs &dialogs, const Windows &windows);
