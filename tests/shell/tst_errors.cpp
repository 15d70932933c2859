#include "application.h"
#include "prompterfixture.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

// Throws from inside an event handler, as a failing command does.
class Thrower final : public QObject
{
public:
    QString message;
    bool customEvent_ran = false;

protected:
    void customEvent(QEvent *) override
    {
        customEvent_ran = true;
        throw TavrixError(message);
    }
};

} // namespace

class ErrorsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorText_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << 0 << QStringLiteral("outer");
        QTest::newRow("one inner") << 1 << QStringLiteral("outer\r\ninner 1");
        QTest::newRow("two inner") << 2 << QStringLiteral("outer\r\ninner 1\r\ninner 2");
    }

    void errorText()
    {
        QFETCH(int, depth);
        QFETCH(QString, text);
        std::function<void(int)> raise = [&](int level) {
            if (level == 0)
                throw TavrixError(QStringLiteral("inner %1").arg(depth));
            try {
                raise(level - 1);
            } catch (...) {
                throwWithInner(level == depth ? QStringLiteral("outer")
                                              : QStringLiteral("inner %1").arg(depth - level));
            }
        };
        try {
            if (depth == 0)
                throw TavrixError(QStringLiteral("outer"));
            raise(depth);
            QFAIL("nothing was thrown");
        } catch (const std::exception &error) {
            QCOMPARE(::errorText(error), text);
        }
    }

    void errorText_keepsEmptyAndForeignMessages()
    {
        QCOMPARE(::errorText(TavrixError(QString())), QString());
        QCOMPARE(::errorText(std::runtime_error("disk said no")), QStringLiteral("disk said no"));
        QCOMPARE(::errorText(TavrixError(QStringLiteral("Größe €"))), QStringLiteral("Größe €"));
    }

    void escapingError_isShownInThePlainBox_andTheLoopGoesOn()
    {
        ConfigHome home;
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        Thrower thrower;
        thrower.message = QStringLiteral("Cannot open file \"/x\". No such file or directory");
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        Thrower empty;
        QCoreApplication::postEvent(&empty, new QEvent(QEvent::User));
        bool later = false;
        QTimer::singleShot(0, &thrower, [&later] { later = true; });
        QTRY_VERIFY(later);
        QVERIFY(thrower.customEvent_ran && empty.customEvent_ran);
        QCOMPARE(dialogs.messages, QStringList({thrower.message, QString()}));
    }

    void silentAbort_showsNothing()
    {
        ConfigHome home;
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        // A command whose dialog throws: the prompter's handler guard takes the error.
        auto *open = widget<QAction>(*windows.prompter, "openAction");
        dialogs.duringOpen = [] { throw SilentAbort(); };
        open->trigger();
        QVERIFY(dialogs.messages.isEmpty());
        dialogs.duringOpen = [] { throw TavrixError(QStringLiteral("shown")); };
        open->trigger();
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("shown")});
        QCOMPARE(dialogs.openCalls, 2);
    }

    void realMessageBox_hasTheApplicationCaptionAndOneOkButton()
    {
        QtDialogs dialogs;
        // What the box showed, read while it is up; checked once it is closed,
        // so that a failing check can never leave the modal box open.
        struct Seen
        {
            bool found = false;
            QString caption;
            QMessageBox::Icon icon = QMessageBox::Warning;
            QStringList buttons;
            QString text;
        } seen;
        QTimer::singleShot(50, [&seen] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    seen.found = true;
                    seen.caption = box->windowTitle();
                    seen.icon = box->icon();
                    for (QAbstractButton *b : box->buttons())
                        seen.buttons.append(b->text());
                    seen.text = box->text();
                    box->accept();
                }
            }
        });
        dialogs.message(nullptr, QStringLiteral("line 1\r\nline 2"));
        QVERIFY(seen.found);
        QCOMPARE(seen.caption, texts::rsAppTitle);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(seen.text, QStringLiteral("line 1\r\nline 2"));
    }

    // Face, style and size are all the program keeps of a font: the dialog
    // offers nothing else (no effects, no writing system).
    void realFontDialog_offersOnlyWhatIsKept()
    {
        QtDialogs dialogs;
        bool found = false;
        int fields = 0;
        QStringList extra;
        QTimer::singleShot(50, [&] {
            auto *dialog = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            found = true;
            for (QWidget *w : dialog->findChildren<QWidget *>()) {
                const auto *label = qobject_cast<QLabel *>(w);
                if (w->isVisible() &&
                    (qobject_cast<QCheckBox *>(w) || qobject_cast<QComboBox *>(w) ||
                     (label && label->buddy() && !label->buddy()->isVisible())))
                    extra.append(QString::fromLatin1(w->metaObject()->className()));
                fields += w->isVisible() && qobject_cast<QLineEdit *>(w);
            }
            dialog->reject();
        });
        FontRecord font;
        font.Name = QStringLiteral("DejaVu Sans");
        QVERIFY(!dialogs.chooseFont(nullptr, font));
        QVERIFY(found);
        QCOMPARE(extra, QStringList());
        QCOMPARE(fields, 4); // face, style, size and the sample
    }

    void realQuestion_onlyTheNoButtonAnswersNo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("answersNo");
        QTest::newRow("No button") << QStringLiteral("no") << true;
        QTest::newRow("Yes button") << QStringLiteral("yes") << false;
        QTest::newRow("Escape") << QStringLiteral("escape") << false;
        QTest::newRow("close box") << QStringLiteral("close") << false;
    }

    void realQuestion_onlyTheNoButtonAnswersNo()
    {
        QFETCH(QString, how);
        QFETCH(bool, answersNo);
        QtDialogs dialogs;
        bool found = false;
        QTimer::singleShot(50, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(w);
                if (!box || !box->isVisible())
                    continue;
                found = true;
                if (how == u"no")
                    box->button(QMessageBox::No)->click();
                else if (how == u"yes")
                    box->button(QMessageBox::Yes)->click();
                else if (how == u"escape")
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->close();
                // Whatever the row did, the box must not outlive the test.
                if (box->isVisible())
                    box->done(QMessageBox::Yes);
            }
        });
        const Dialogs::Answer answer = dialogs.question(nullptr, QStringLiteral("Save?"));
        QVERIFY(found);
        QCOMPARE(answer == Dialogs::Answer::No, answersNo);
    }
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    ErrorsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_errors.moc"
