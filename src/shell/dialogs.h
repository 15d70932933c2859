#pragma once

#include <QString>
#include <QStringList>

#include <exception>

class QDialog;
class QFontDialog;
class QTextDocument;
class QUrl;
class QWidget;
struct FontRecord;

// What an open or save dialog remembers between showings. The filter is in
// the "Name|patterns|Name|patterns" form; the index counts from 1.
struct FileDialogState
{
    QString filter;
    int filterIndex = 1;
    QString fileName;
    QString defaultExt;
};

// "Tavrix Readable|*.txt;*.rtf|All Files|*.*" as Qt's name filters.
QStringList qtNameFilters(const QString &filter);

// Every dialog the program shows goes through this seam, so that tests can
// answer them without a person at the keyboard.
class Dialogs
{
public:
    enum class Answer
    {
        Yes,
        No
    };

    virtual ~Dialogs() = default;

    // The plain message box: caption "Tavrix2 Home", no icon, one OK button.
    virtual void message(QWidget *parent, const QString &text) = 0;
    // A line on standard error, never a box: for what the operator knows already.
    virtual void note(const QString &text) = 0;
    // A warning with Yes and No.
    virtual Answer question(QWidget *parent, const QString &text) = 0;
    // True when the operator chose a file; `state` then holds it.
    virtual bool openFile(QWidget *parent, FileDialogState &state) = 0;
    virtual bool saveFile(QWidget *parent, FileDialogState &state) = 0;
    // True when the operator confirmed; `font` then holds the choice.
    virtual bool chooseFont(QWidget *parent, FontRecord &font) = 0;
    virtual void printPreview(QWidget *parent, QTextDocument *document) = 0;
    // Shows one of the program's own modal windows; returns QDialog's result.
    virtual int execModal(QDialog *dialog) = 0;
    // Opens a web address in the desktop's browser; false when the desktop refuses.
    virtual bool openUrl(const QUrl &address) = 0;
};

// The real dialogs of the desktop.
class QtDialogs final : public Dialogs
{
public:
    // From now on nobody is at the keyboard (the program is being stopped):
    // messages go to standard error, and every other dialog is left unanswered.
    void setUnattended() { m_unattended = true; }
    // Messages that went to standard error.
    int unattendedMessages() const { return m_unattendedMessages; }

    void message(QWidget *parent, const QString &text) override;
    // Each text once, however often it comes.
    void note(const QString &text) override;
    Answer question(QWidget *parent, const QString &text) override;
    bool openFile(QWidget *parent, FileDialogState &state) override;
    bool saveFile(QWidget *parent, FileDialogState &state) override;
    bool chooseFont(QWidget *parent, FontRecord &font) override;
    void printPreview(QWidget *parent, QTextDocument *document) override;
    int execModal(QDialog *dialog) override;
    bool openUrl(const QUrl &address) override;

private:
    bool m_unattended = false;
    int m_unattendedMessages = 0;
    QStringList m_noted;
};

// Hides the font dialog's underline, strike-out and writing-system controls,
// whose choices the program does not keep.
void hideUnusedFontControls(QFontDialog &dialog);

// Shows an error's text, with every inner error on a line of its own, in the
// plain message box.
void reportError(Dialogs &dialogs, QWidget *parent, const std::exception &error);
