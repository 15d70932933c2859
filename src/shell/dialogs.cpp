#include "dialogs.h"

#include "fontrecord.h"
#include "printing.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>

#include <cstdio>
#include <memory>

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        result.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    if (parts.size() == 1 && !filter.isEmpty())
        result.append(filter);
    return result;
}

void QtDialogs::message(QWidget *, const QString &text)
{
    if (m_unattended) {
        ++m_unattendedMessages;
        std::fprintf(stderr, "tavrix: %s\n", qUtf8Printable(text));
        return;
    }
    // Without a parent Qt centres the box on the screen rather than on the band;
    // application-modal keeps the windows behind it out of reach all the same.
    QMessageBox box(QMessageBox::NoIcon, texts::rsAppTitle, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    // Paths and messages are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void QtDialogs::note(const QString &text)
{
    // While stopping, the note still counts as a failure for the exit status.
    if (m_unattended)
        ++m_unattendedMessages;
    if (m_noted.contains(text))
        return;
    m_noted.append(text);
    std::fprintf(stderr, "tavrix: %s\n", qUtf8Printable(text));
}

Dialogs::Answer QtDialogs::question(QWidget *parent, const QString &text)
{
    // Unanswered, nothing is thrown away.
    if (m_unattended)
        return Answer::Yes;
    QMessageBox box(QMessageBox::Warning, texts::rsAppTitle, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    // Only the No button discards: Escape and the close box answer Yes, which
    // keeps the operator's work.
    box.setEscapeButton(box.button(QMessageBox::Yes));
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::No) ? Answer::No : Answer::Yes;
}

static bool runFileDialog(QWidget *parent, FileDialogState &state, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(state.filter);
    dialog.setNameFilters(filters);
    if (state.filterIndex >= 1 && state.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(state.filterIndex - 1));
    if (!state.defaultExt.isEmpty()) {
        QString ext = state.defaultExt;
        dialog.setDefaultSuffix(ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext);
    }
    if (!state.fileName.isEmpty()) {
        const QFileInfo info(state.fileName);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    state.fileName = dialog.selectedFiles().constFirst();
    state.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

bool QtDialogs::openFile(QWidget *parent, FileDialogState &state)
{
    if (m_unattended)
        return false;
    return runFileDialog(parent, state, QFileDialog::AcceptOpen);
}

bool QtDialogs::saveFile(QWidget *parent, FileDialogState &state)
{
    if (m_unattended)
        return false;
    return runFileDialog(parent, state, QFileDialog::AcceptSave);
}

void hideUnusedFontControls(QFontDialog &dialog)
{
    // Only face, style and size are kept: the effects (underline, strike-out)
    // and the writing system would be choices that go nowhere.
    for (QCheckBox *box : dialog.findChildren<QCheckBox *>()) {
        box->hide();
        if (auto *group = qobject_cast<QGroupBox *>(box->parentWidget()))
            group->hide();
    }
    for (QComboBox *combo : dialog.findChildren<QComboBox *>()) {
        combo->hide();
        if (auto *group = qobject_cast<QGroupBox *>(combo->parentWidget()))
            group->hide();
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->buddy() == combo)
                label->hide();
        }
    }
}

bool QtDialogs::chooseFont(QWidget *parent, FontRecord &font)
{
    if (m_unattended)
        return false;
    const int ppi = QGuiApplication::primaryScreen()
                        ? qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch())
                        : 96;
    QFont initial(font.Name);
    initial.setPointSize(font.size(ppi));
    initial.setBold(font.Bold);
    initial.setItalic(font.Italic);
    QFontDialog dialog(initial, parent);
    // Qt's own dialog on every desktop, so that the controls below can go.
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    hideUnusedFontControls(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dialog.selectedFont();
    font.Name = chosen.family();
    font.setSize(chosen.pointSize() > 0 ? chosen.pointSize() : font.size(ppi), ppi);
    font.Bold = chosen.bold();
    font.Italic = chosen.italic();
    return true;
}

void QtDialogs::printPreview(QWidget *parent, QTextDocument *document)
{
    if (m_unattended || !document)
        return;
    // The view replaces its document when a page loads, which can happen
    // while the preview is open; the preview draws its own copy.
    const std::unique_ptr<QTextDocument> copy(document->clone());
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    QString failure;
    QObject::connect(
        &preview, &QPrintPreviewDialog::paintRequested, &preview,
        [&copy, &failure](QPrinter *target) { failure = printScreenDocument(*copy, *target); });
    // The dialog is accepted only once it has printed, so the last painting was the print.
    if (preview.exec() != QDialog::Accepted)
        return;
    if (failure.isEmpty() && printer.outputFormat() == QPrinter::PdfFormat &&
        !printer.outputFileName().isEmpty())
        failure = unfinishedPdfReason(printer.outputFileName());
    if (!failure.isEmpty())
        message(parent, texts::rsCannotPrint.arg(failure));
}

int QtDialogs::execModal(QDialog *dialog)
{
    if (m_unattended)
        return QDialog::Rejected;
    return dialog->exec();
}

bool QtDialogs::openUrl(const QUrl &address)
{
    return QDesktopServices::openUrl(address);
}

void reportError(Dialogs &dialogs, QWidget *parent, const std::exception &error)
{
    if (dynamic_cast<const KnownError *>(&error))
        dialogs.note(errorText(error));
    else
        dialogs.message(parent, errorText(error));
}
