#include "showoptionsdialog.h"

#include "countdown.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QRadioButton *namedRadio(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QRadioButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

ShowOptionsDialog::ShowOptionsDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("showOptionsDialog"));
    setWindowTitle(QStringLiteral("Show Options"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);

    auto *countdown = new QGroupBox(QStringLiteral("Countdown when the page starts"), this);
    countdown->setObjectName(QStringLiteral("countdownGroup"));
    auto *grid = new QGridLayout(countdown);
    countdownOffButton =
        namedRadio(QStringLiteral("&Off"), QStringLiteral("countdownOffButton"), countdown);
    countdown3Button =
        namedRadio(QStringLiteral("&3 seconds"), QStringLiteral("countdown3Button"), countdown);
    countdown5Button =
        namedRadio(QStringLiteral("&5 seconds"), QStringLiteral("countdown5Button"), countdown);
    countdown10Button =
        namedRadio(QStringLiteral("1&0 seconds"), QStringLiteral("countdown10Button"), countdown);
    countdownCustomButton =
        namedRadio(QStringLiteral("Ot&her:"), QStringLiteral("countdownCustomButton"), countdown);
    countdownSecondsBox = new QSpinBox(countdown);
    countdownSecondsBox->setObjectName(QStringLiteral("countdownSecondsBox"));
    countdownSecondsBox->setRange(1, Countdown::kMaxSeconds);
    countdownSecondsBox->setValue(15);
    countdownSecondsBox->setSuffix(QStringLiteral(" seconds"));
    countdownSecondsBox->setEnabled(false);
    auto *group = new QButtonGroup(this);
    int row = 0;
    for (QRadioButton *button :
         {countdownOffButton, countdown3Button, countdown5Button, countdown10Button}) {
        group->addButton(button);
        grid->addWidget(button, row++, 0, 1, 2);
    }
    group->addButton(countdownCustomButton);
    grid->addWidget(countdownCustomButton, row, 0);
    grid->addWidget(countdownSecondsBox, row, 1);
    countdownOffButton->setChecked(true);
    connect(countdownCustomButton, &QRadioButton::toggled, countdownSecondsBox,
            &QSpinBox::setEnabled);
    layout->addWidget(countdown);

    wordsPerMinuteBox =
        new QCheckBox(QStringLiteral("&Words per minute on the status strip"), this);
    wordsPerMinuteBox->setObjectName(QStringLiteral("wordsPerMinuteBox"));
    layout->addWidget(wordsPerMinuteBox);
    readingLineBox = new QCheckBox(QStringLiteral("&Reading line on the band"), this);
    readingLineBox->setObjectName(QStringLiteral("readingLineBox"));
    layout->addWidget(readingLineBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void ShowOptionsDialog::setOptions(const ShowOptions &options)
{
    const int seconds = ShowOptions::clampCountdown(options.countdownSeconds);
    switch (seconds) {
    case 0:
        countdownOffButton->setChecked(true);
        break;
    case 3:
        countdown3Button->setChecked(true);
        break;
    case 5:
        countdown5Button->setChecked(true);
        break;
    case 10:
        countdown10Button->setChecked(true);
        break;
    default:
        countdownCustomButton->setChecked(true);
        countdownSecondsBox->setValue(seconds);
        break;
    }
    wordsPerMinuteBox->setChecked(options.wordsPerMinute);
    readingLineBox->setChecked(options.readingLine);
}

ShowOptions ShowOptionsDialog::options() const
{
    ShowOptions options;
    if (countdown3Button->isChecked())
        options.countdownSeconds = 3;
    else if (countdown5Button->isChecked())
        options.countdownSeconds = 5;
    else if (countdown10Button->isChecked())
        options.countdownSeconds = 10;
    else if (countdownCustomButton->isChecked())
        options.countdownSeconds = countdownSecondsBox->value();
    options.wordsPerMinute = wordsPerMinuteBox->isChecked();
    options.readingLine = readingLineBox->isChecked();
    return options;
}
