#include "quickeditdialog.h"

#include "application.h"
#include "tavrixerror.h"
#include "textfile.h"
#include "texts.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

using namespace texts;

QuickEditDialog::QuickEditDialog(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("quickEditDialog"));
    setWindowTitle(rsQuickEditCaption);
    setModal(true);
    setSizeGripEnabled(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *menuBar = new QMenuBar(this);
    QMenu *fileMenu = menuBar->addMenu(rsFileMenu);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m_saveAction = fileMenu->addAction(rsSaveAndExit);
    m_saveAction->setObjectName(QStringLiteral("saveAndExitAction"));
    fileMenu->addSeparator();
    m_cancelAction = fileMenu->addAction(rsCancelEdit);
    m_cancelAction->setObjectName(QStringLiteral("cancelEditAction"));
    layout->setMenuBar(menuBar);

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("editor"));
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(m_editor, 1);

    auto *statusBar = new QStatusBar(this);
    statusBar->setFixedHeight(19);
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(rsQuickEditStatus, statusBar);
    m_status->setObjectName(QStringLiteral("statusText"));
    m_status->setTextFormat(Qt::PlainText);
    statusBar->addWidget(m_status, 1);
    layout->addWidget(statusBar);

    m_saveState.filter = rsTextFilter;
    m_saveState.defaultExt = rsTextExtension;

    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { m_edited = true; });
    connect(m_saveAction, &QAction::triggered, this, [this] {
        runReported([this] { saveAndExit(); },
                    [this](const std::exception &error) { reportError(m_dialogs, this, error); });
    });
    connect(m_cancelAction, &QAction::triggered, this, &QuickEditDialog::reject);

    resize(626, 253 + menuBar->sizeHint().height());
    centreOnScreen();
}

void QuickEditDialog::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        m_centredFrame = frame.size() - size();
        move(frame.topLeft());
    }
}

void QuickEditDialog::centreAgainOnceFramed(int checksLeft)
{
    // A window manager frames the window some time after it is first shown,
    // and tells no one: look again a few times, so the frame sits centred.
    QTimer::singleShot(100, this, [this, checksLeft] {
        if (!isVisible() || !m_centredFrame || !m_centredFrame->isNull())
            return;
        const QSize frame = frameGeometry().size() - size();
        if (frame.width() > 0 && frame.height() > 0)
            centreOnScreen();
        else if (checksLeft > 1)
            centreAgainOnceFramed(checksLeft - 1);
    });
}

std::optional<QStringList> QuickEditDialog::edit(const QStringList &lines,
                                                 const QString &proposedFile,
                                                 const QString &partialFile)
{
    QString text;
    qsizetype longest = 0;
    for (const QString &line : lines) {
        text += line + QLatin1Char('\n');
        longest = std::max(longest, line.size());
    }
    // Wrapping one huge line costs the square of its length (minutes at a
    // million characters); such a script opens unwrapped instead.
    m_editor->setLineWrapMode(longest > kMaxWrappedLine ? QPlainTextEdit::NoWrap
                                                        : QPlainTextEdit::WidgetWidth);
    m_editor->setPlainText(text);
    m_scriptLines = lines;
    m_scriptText = text;
    m_shownText = editorText();
    m_partialFile = partialFile;
    m_saveState.fileName = proposedFile;
    m_edited = false;
    if (m_dialogs.execModal(this) != QDialog::Accepted)
        return std::nullopt;
    return changed() ? linesOf(editorText()) : m_scriptLines;
}

QStringList QuickEditDialog::linesOf(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

bool QuickEditDialog::changed() const
{
    // The editor turns some characters into line breaks (U+2028, U+2029, U+FDD0,
    // U+FDD1): what the operator did not change is taken from the script itself.
    return editorText() != m_shownText;
}

bool QuickEditDialog::holdsUnsavedText() const
{
    return isVisible() && changed();
}

QString QuickEditDialog::unsavedText() const
{
    return editorText();
}

QString QuickEditDialog::proposedFile() const
{
    return m_saveState.fileName;
}

QString QuickEditDialog::editorText() const
{
    // toPlainText() would turn no-break spaces into blanks; keep what was typed.
    QString text = m_editor->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void QuickEditDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_edited = false;
    // Every opening, not only the first: the operator may have moved it since.
    if (!event->spontaneous()) {
        centreOnScreen();
        if (m_centredFrame && m_centredFrame->isNull())
            centreAgainOnceFramed(10);
    }
}

void QuickEditDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape would leave without a word; the editor ends through its menu or close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QuickEditDialog::saveAndExit()
{
    if (!m_dialogs.saveFile(this, m_saveState))
        return;
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QString target = m_saveState.fileName;
    if (!m_partialFile.isEmpty() && QFileInfo::exists(target) &&
        QFileInfo(target).canonicalFilePath() == QFileInfo(m_partialFile).canonicalFilePath())
        throw TavrixError(rsScriptEndsAtNul.arg(target));
    writeTextFile(target, formatText(changed() ? editorText() : m_scriptText));
    m_edited = false;
    accept();
}

void QuickEditDialog::reject()
{
    if (confirmClose())
        QDialog::reject();
}

bool QuickEditDialog::confirmClose()
{
    if (!m_edited)
        return true;
    return m_dialogs.question(this, rsSaveBeforeClosing) == Dialogs::Answer::No;
}
