#include "application.h"
#include "prompterfixture.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QAbstractButton>
#include <QAction>
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
        bool found = false;
        QTimer::singleShot(50, [&found] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(w)) {
                    found = true;
                    QCOMPARE(box->windowTitle(), texts::rsAppTitle);
                    QCOMPARE(box->icon(), QMessageBox::NoIcon);
                    QCOMPARE(box->buttons().size(), 1);
                    QCOMPARE(box->buttons().constFirst()->text(), QStringLiteral("OK"));
                    QCOMPARE(box->text(), QStringLiteral("line 1\r\nline 2"));
                    box->accept();
                }
            }
        });
        dialogs.message(nullptr, QStringLiteral("line 1\r\nline 2"));
        QVERIFY(found);
    }
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    ErrorsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_errors.moc"
