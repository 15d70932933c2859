#pragma once

#include "showoptions.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QSpinBox;

// "Show Options...": the countdown before the page moves, words per minute
// on the status strip and the reading line on the band. It edits a copy; the
// owner takes options() when the window is accepted.
class ShowOptionsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowOptionsDialog)

public:
    explicit ShowOptionsDialog(QWidget *parent = nullptr);

    void setOptions(const ShowOptions &options);
    ShowOptions options() const;

private:
    QRadioButton *countdownOffButton = nullptr;
    QRadioButton *countdown3Button = nullptr;
    QRadioButton *countdown5Button = nullptr;
    QRadioButton *countdown10Button = nullptr;
    QRadioButton *countdownCustomButton = nullptr;
    QSpinBox *countdownSecondsBox = nullptr;
    QCheckBox *wordsPerMinuteBox = nullptr;
    QCheckBox *readingLineBox = nullptr;
};
