#pragma once

#include <memory>

class Dialogs;
class TForm1;
class TForm2;
class TForm4;
class Taboutform;

// The program's four windows, created in their fixed order; only the main
// window is ever shown at start-up.
struct Windows
{
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<Taboutform> aboutform;

    Windows();
    Windows(Windows &&) noexcept;
    ~Windows();
};

Windows createWindows(Dialogs &dialogs);
