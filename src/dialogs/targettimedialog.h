#pragma once

#include "timefit.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Target Time...": how long the rest of the script, or of the current
// section, should take. Ok is offered only for a time that reads; the line
// under the field says what is wrong with one that does not.
class TargetTimeDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TargetTimeDialog)

public:
    explicit TargetTimeDialog(QWidget *parent = nullptr);

    // No section to fit when the script has no marker after the reading line.
    void setSectionAvailable(bool available);
    // The time the rest takes at the speed now, shown as a hint; -1 for none.
    void setCurrentTime(qint64 ms);

    qint64 targetMs() const { return m_duration.ok() ? m_duration.ms : 0; }
    timefit::Scope scope() const;

private:
    void check();

    QLineEdit *durationEdit = nullptr;
    QLabel *problemLabel = nullptr;
    QLabel *currentLabel = nullptr;
    QRadioButton *restOfScriptButton = nullptr;
    QRadioButton *restOfSectionButton = nullptr;
    QPushButton *okButton = nullptr;
    timefit::Duration m_duration;
};
