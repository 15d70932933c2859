#include "prompterfixture.h"

#include "optionsdialog.h"
#include "radiogroup.h"
#include "registrystore.h"
#include "scrollclock.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// What the operator set in one run is there in the next.
class RestartTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRun_usesTheDesignedValues()
    {
        ConfigHome home;
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        QCOMPARE(windows.prompter->promptFont().Name, QStringLiteral("Arial"));
        QCOMPARE(windows.prompter->promptFont().Height, -32);
        QCOMPARE(widget<QSlider>(*windows.prompter, "stepSlider")->value(), 1);
        QCOMPARE(widget<ScrollClock>(*windows.prompter, "scrollTimer")->interval(), 300u);
        QCOMPARE(windows.options->capitalsIndex(), 0);
        QCOMPARE(windows.options->placementIndex(), 0);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(windows.options->frameGeometry().center(), screen.center());
        QVERIFY(dialogs.messages.isEmpty());
    }

    void storeWrittenByTheEarlierRelease_readsAndSavesUnchanged()
    {
        ConfigHome home;
        QVERIFY(QDir().mkpath(QFileInfo(home.storeFile()).path()));
        const QString earlier = QStringLiteral(TAVRIX_TEST_DATA "/settings/user-2.0.reg");
        QVERIFY(QFile::copy(earlier, home.storeFile()));
        QFile::setPermissions(home.storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            FakeDialogs dialogs;
            Windows windows = createWindows(dialogs);
            PrompterWindow &f = *windows.prompter;
            f.show();
            QCOMPARE(widget<ScrollClock>(f, "scrollTimer")->interval(), 271u);
            QCOMPARE(widget<QSlider>(f, "stepSlider")->value(), 1);
            QCOMPARE(f.promptFont().Name, QStringLiteral("Arial"));
            QCOMPARE(f.promptFont().size(96), 24);
            QCOMPARE(windows.options->placementIndex(), 0);
            QCOMPARE(windows.options->capitalsIndex(), 0);
            f.close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        // Saved back under the same names; only the window's place on this
        // test screen, which is not the earlier 1920 x 1080 one, is new, and
        // the mirror flags are added under names the earlier release ignores.
        QStringList added;
        const auto lines = [&added](const QString &path) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            QStringList kept;
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (line.startsWith("\"Mirror"))
                    added.append(QString::fromUtf8(line.trimmed()));
                else if (!line.startsWith("\"NormPos") && !line.startsWith("\"MinMaxPos") &&
                         !line.startsWith("\"RemotePort") &&
                         !line.startsWith("\"RemoteEveryNetwork"))
                    kept.append(QString::fromUtf8(line));
            }
            return kept;
        };
        QCOMPARE(lines(home.storeFile()), lines(earlier));
        QCOMPARE(added, QStringList({QStringLiteral("\"MirrorLeftToRight\"=dword:00000000"),
                                     QStringLiteral("\"MirrorTopToBottom\"=dword:00000000")}));
    }

    void stepFontPeriodAndOptions_comeBack()
    {
        ConfigHome home;
        {
            FakeDialogs dialogs;
            Windows windows = createWindows(dialogs);
            PrompterWindow &f = *windows.prompter;
            f.show();
            widget<QSlider>(f, "stepSlider")->setValue(7);
            setSpeed(f, 120);
            FontRecord font = f.promptFont();
            font.Name = QStringLiteral("DejaVu Serif");
            font.setSize(30);
            font.Bold = true;
            f.setPromptFont(font);
            dialogs.modal = [](QDialog *dialog) {
                widget<RadioGroup>(*dialog, "capitalsGroup")->setItemIndex(1);
                widget<RadioGroup>(*dialog, "placementGroup")->setItemIndex(1);
                return int(QDialog::Accepted);
            };
            f.showOptions();
            widget<QAction>(f, "mirrorTopToBottomAction")->trigger();
            QVERIFY(page(f)->mirroredTopToBottom());
            f.close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        PrompterWindow &f = *windows.prompter;
        const auto *timer = widget<ScrollClock>(f, "scrollTimer");
        QCOMPARE(widget<QSlider>(f, "stepSlider")->value(), 7);
        QCOMPARE(labelText(f, "stepLabel"), QStringLiteral("Coarse: 7"));
        QCOMPARE(timer->interval(), 181u);
        QVERIFY(!timer->enabled());
        QCOMPARE(f.currentSpeed(), 0);
        QCOMPARE(f.promptFont().Name, QStringLiteral("DejaVu Serif"));
        QCOMPARE(f.promptFont().size(), 30);
        QVERIFY(f.promptFont().Bold);
        // The first page is built with the restored font.
        QVERIFY(f.pageLines().contains(QStringLiteral("font-size: 30px;")));
        QVERIFY(f.pageLines().contains(QStringLiteral("font-family: DejaVu Serif;")));
        QCOMPARE(windows.options->capitalsIndex(), 1);
        QCOMPARE(windows.options->placementIndex(), 1);
        QVERIFY(widget<QAction>(f, "mirrorTopToBottomAction")->isChecked());
        QVERIFY(page(f)->mirroredTopToBottom());
        QVERIFY(!page(f)->mirroredLeftToRight());
        // The window is created at the top and moves to the stored edge when shown.
        QCOMPARE(f.frameGeometry().top(), 0);
        f.show();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(f.frameGeometry().bottom(), screen.bottom());
    }

    void damagedStore_isKeptAndTheRestStillWorks()
    {
        ConfigHome home;
        QVERIFY(QDir().mkpath(QFileInfo(home.storeFile()).path()));
        QFile file(home.storeFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                   "\"speedmod_Value\"=dword:00000005\r\n"
                   "\"Timer1_Interval\"=dword:zzzz\r\n\x01\x02garbage\xff\r\n");
        file.close();
        {
            FakeDialogs dialogs;
            Windows windows = createWindows(dialogs);
            QCOMPARE(widget<QSlider>(*windows.prompter, "stepSlider")->value(), 5);
            QCOMPARE(widget<ScrollClock>(*windows.prompter, "scrollTimer")->interval(), 300u);
            windows.prompter->close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        QVERIFY(QFile::exists(home.storeFile() + QStringLiteral(".bad")));
        RegistryStore store(QStringLiteral("software\\morvane\\tavrix"));
        QCOMPARE(store.readInteger(QStringLiteral("Form1\\speedmod_Value"), 0), 5);
    }

    void unwritableStore_reportsOnCloseAndTheCloseGoesOn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("atStart");
        // A directory or a FIFO where the store file should be: no save can replace it.
        QTest::newRow("directory from the start: told once, quiet on close")
            << u"directory"_s << true;
        QTest::newRow("FIFO from the start: told once, quiet on close") << u"fifo"_s << true;
        QTest::newRow("directory after the start: a box on close") << u"directory"_s << false;
    }

    void unwritableStore_reportsOnCloseAndTheCloseGoesOn()
    {
        QFETCH(QString, kind);
        QFETCH(bool, atStart);
        ConfigHome home;
        const auto block = [&] {
            QVERIFY(QDir().mkpath(QFileInfo(home.storeFile()).path()));
            if (kind == u"directory")
                QVERIFY(QDir().mkpath(home.storeFile()));
            else
                QCOMPARE(::mkfifo(QFile::encodeName(home.storeFile()).constData(), 0600), 0);
        };
        if (atStart)
            block();
        ::alarm(60); // a blocking open of the FIFO ends the test
        {
            FakeDialogs dialogs;
            auto windows = std::make_unique<Windows>(createWindows(dialogs));
            windows->prompter->show();
            QTRY_COMPARE(dialogs.messages.size(), atStart ? 1 : 0);
            if (!atStart)
                block();
            QVERIFY(windows->prompter->close());
            QVERIFY(!windows->prompter->isVisible());
            windows.reset(); // the options window saves as it goes
            if (atStart) {
                QCOMPARE(dialogs.messages.size(), 1);
                QVERIFY(dialogs.messages.constFirst().startsWith(u"The settings cannot be read"_s));
                QVERIFY(!dialogs.notes.isEmpty());
                for (const QString &note : std::as_const(dialogs.notes))
                    QVERIFY2(note.startsWith(u"The settings were not saved. Cannot open file"_s),
                             qPrintable(note));
            } else {
                QVERIFY(dialogs.notes.isEmpty());
                QVERIFY(!dialogs.messages.isEmpty());
                QVERIFY2(dialogs.messages.constFirst().startsWith(u"Unable to"_s),
                         qPrintable(dialogs.messages.constFirst()));
            }
        }
        ::alarm(0);
        QVERIFY(!QFileInfo(home.storeFile()).isFile());
    }
};

QTEST_MAIN(RestartTest)
#include "tst_restart.moc"
