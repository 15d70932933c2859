#pragma once

#include "dialogs.h"

#include <QDialog>
#include <QSize>
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
    // Longer lines are edited unwrapped.
    static constexpr qsizetype kMaxWrappedLine = 10000;

    explicit QuickEditDialog(Dialogs &dialogs, QWidget *parent = nullptr);

    // Shows `lines` modally with the save dialog preset to `proposedFile`;
    // the saved lines, or nothing when the operator left without saving. The
    // lines are only the beginning of `partialFile` (its text ends at a NUL):
    // Save and Exit refuses to write over that file.
    std::optional<QStringList> edit(const QStringList &lines, const QString &proposedFile,
                                    const QString &partialFile = QString());

    // The operator changed the text since the dialog was shown.
    bool edited() const { return m_edited; }

    // Shown, and its text differs from the script it was opened on.
    bool holdsUnsavedText() const;
    QString unsavedText() const;
    // The file name the save dialog proposes.
    QString proposedFile() const;

    // The editor's text as script lines.
    static QStringList linesOf(const QString &text);

    // Asks before a close that would lose the operator's changes.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void centreOnScreen();
    void centreAgainOnceFramed(int checksLeft);
    bool changed() const;
    QString editorText() const;
    void saveAndExit();
    bool confirmClose();

    Dialogs &m_dialogs;
    QPlainTextEdit *m_editor = nullptr;
    QLabel *m_status = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_cancelAction = nullptr;
    FileDialogState m_saveState;
    QStringList m_scriptLines; // as handed in
    QString m_scriptText;      // the same lines, each ended by a line feed
    QString m_shownText;       // the editor's text before the operator typed
    QString m_partialFile;
    // The frame's share of the size when the window was last centred.
    std::optional<QSize> m_centredFrame;
    bool m_edited = false;
};
