#include "targettimedialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TargetTimeDialog::TargetTimeDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("targetTimeDialog"));
    setWindowTitle(QStringLiteral("Target Time"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    durationEdit = new QLineEdit(this);
    durationEdit->setObjectName(QStringLiteral("durationEdit"));
    durationEdit->setPlaceholderText(QStringLiteral("m:ss or h:mm:ss"));
    durationEdit->setMaxLength(16);
    form->addRow(QStringLiteral("&Time:"), durationEdit);
    layout->addLayout(form);
    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("problemLabel"));
    problemLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(problemLabel);
    currentLabel = new QLabel(this);
    currentLabel->setObjectName(QStringLiteral("currentLabel"));
    currentLabel->setTextFormat(Qt::PlainText);
    currentLabel->hide();
    layout->addWidget(currentLabel);

    restOfScriptButton = new QRadioButton(QStringLiteral("For the rest of the &script"), this);
    restOfScriptButton->setObjectName(QStringLiteral("restOfScriptButton"));
    restOfScriptButton->setChecked(true);
    layout->addWidget(restOfScriptButton);
    restOfSectionButton = new QRadioButton(QStringLiteral("For the rest of the s&ection"), this);
    restOfSectionButton->setObjectName(QStringLiteral("restOfSectionButton"));
    layout->addWidget(restOfSectionButton);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(durationEdit, &QLineEdit::textChanged, this, &TargetTimeDialog::check);
    check();
}

void TargetTimeDialog::setSectionAvailable(bool available)
{
    restOfSectionButton->setEnabled(available);
    if (!available)
        restOfScriptButton->setChecked(true);
}

void TargetTimeDialog::setCurrentTime(qint64 ms)
{
    currentLabel->setVisible(ms >= 0);
    currentLabel->setText(
        ms >= 0 ? QStringLiteral("At the speed now: %1").arg(timefit::formatDuration(ms))
                : QString());
}

timefit::Scope TargetTimeDialog::scope() const
{
    return restOfSectionButton->isChecked() ? timefit::Scope::RestOfSection
                                            : timefit::Scope::RestOfScript;
}

void TargetTimeDialog::check()
{
    m_duration = timefit::parseDuration(durationEdit->text());
    // An empty field is not wrong yet, only not done.
    const bool blank = durationEdit->text().trimmed().isEmpty();
    problemLabel->setText(m_duration.ok() || blank ? QString() : m_duration.error);
    okButton->setEnabled(m_duration.ok());
}
