#pragma once

#include "dialogs.h"
#include "fontrecord.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QTextDocument>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>

// Answers the program's dialogs from queued answers and records what was shown.
class FakeDialogs final : public Dialogs
{
public:
    QStringList messages;
    QStringList questions;
    int openCalls = 0;
    int saveCalls = 0;
    // The state each open and save dialog was shown with, oldest first.
    QList<FileDialogState> openStates;
    QList<FileDialogState> saveStates;
    // Runs as an open dialog shows; a test throws from it to make the command fail.
    std::function<void()> duringOpen;
    std::deque<std::optional<QString>> openAnswers; // nullopt cancels
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<Answer> questionAnswers; // a question with none queued fails the test
    std::optional<FontRecord> fontAnswer;
    int printPreviews = 0;
    QString printedText; // of the last document handed to the print preview
    QList<QUrl> openedUrls;
    bool desktopOpensUrls = true;
    // Drives a modal window: gets the window, returns its result.
    std::function<int(QDialog *)> modal = [](QDialog *) { return int(QDialog::Rejected); };

    QStringList notes;
    void message(QWidget *, const QString &text) override { messages.append(text); }
    void note(const QString &text) override { notes.append(text); }
    Answer question(QWidget *, const QString &text) override
    {
        questions.append(text);
        // A question the test did not expect fails it; Yes then keeps whatever
        // the question would have thrown away.
        if (questionAnswers.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__,
                         __LINE__);
            return Answer::Yes;
        }
        const Answer a = questionAnswers.front();
        questionAnswers.pop_front();
        return a;
    }
    bool openFile(QWidget *, FileDialogState &state) override
    {
        ++openCalls;
        openStates.append(state);
        if (duringOpen)
            duringOpen();
        return answer(openAnswers, state);
    }
    bool saveFile(QWidget *, FileDialogState &state) override
    {
        ++saveCalls;
        saveStates.append(state);
        return answer(saveAnswers, state);
    }
    bool chooseFont(QWidget *, FontRecord &font) override
    {
        if (!fontAnswer)
            return false;
        font = *fontAnswer;
        return true;
    }
    void printPreview(QWidget *, QTextDocument *document) override
    {
        ++printPreviews;
        printedText = document ? document->toPlainText() : QString();
    }
    int execModal(QDialog *dialog) override
    {
        const int result = modal(dialog);
        dialog->done(result);
        return result;
    }

    bool openUrl(const QUrl &address) override
    {
        openedUrls.append(address);
        return desktopOpensUrls;
    }

private:
    static bool answer(std::deque<std::optional<QString>> &queue, FileDialogState &state)
    {
        if (queue.empty())
            return false;
        const std::optional<QString> a = queue.front();
        queue.pop_front();
        if (!a)
            return false;
        state.fileName = *a;
        return true;
    }
};
