#pragma once

#include <memory>

class Dialogs;
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
