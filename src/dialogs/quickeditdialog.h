#pragma once

#include "dialogs.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QAction;
class QLabel;
class QPlainTextEdit;

// The quick editor: the script as plain text, written to a file and handed
// back to the prompter only through Save and Exit.
class QuickEditDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuickEditDialog)

public:
    // Longer lines come back cut; the file keeps them whole.
    static constexpr qsizetype kMaxLineLength = 4096;
    // Longer lines are edited unwrapped.
    static constexpr qsizetype kMaxWrappedLine = 10000;

    explicit QuickEditDialog(Dialogs &dialogs, QWidget *parent = nullptr);

    // Shows `lines` modally with the save dialog preset to `proposedFile`;
    // the saved lines, or nothing when the operator left without saving.
    std::optional<QStringList> edit(const QStringList &lines, const QString &proposedFile);

    // The operator changed the text since the dialog was shown.
    bool edited() const { return m_edited; }

    // The editor's text as script lines.
    static QStringList linesOf(const QString &text);

    // Asks before a close that would lose the operator's changes.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString editorText() const;
    void saveAndExit();
    bool confirmClose();

    Dialogs &m_dialogs;
    QPlainTextEdit *m_editor = nullptr;
    QLabel *m_status = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_cancelAction = nullptr;
    FileDialogState m_saveState;
    bool m_edited = false;
};
