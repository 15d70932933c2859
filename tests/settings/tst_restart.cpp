#include "prompterfixture.h"

#include "optionsdialog.h"
#include "prompttimer.h"
#include "radiogroup.h"
#include "registrystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>

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
        QCOMPARE(windows.Form1->FontDialog1Font.Name, QStringLiteral("Arial"));
        QCOMPARE(windows.Form1->FontDialog1Font.Height, -32);
        QCOMPARE(windows.Form1->speedmod->value(), 1);
        QCOMPARE(windows.Form1->Timer1->interval(), 300u);
        QCOMPARE(windows.Form4->allcaps->itemIndex(), 0);
        QCOMPARE(windows.Form4->mainformlocation->itemIndex(), 0);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(windows.Form4->frameGeometry().center(), screen.center());
        QVERIFY(dialogs.messages.isEmpty());
    }

    void stepFontPeriodAndOptions_comeBack()
    {
        ConfigHome home;
        {
            FakeDialogs dialogs;
            Windows windows = createWindows(dialogs);
            TForm1 &f = *windows.Form1;
            f.show();
            f.speedmod->setValue(7);
            f.CurrentSpeed = 120;
            f.adjustspeed();
            f.FontDialog1Font.Name = QStringLiteral("DejaVu Serif");
            f.FontDialog1Font.setSize(30);
            f.FontDialog1Font.Bold = true;
            dialogs.modal = [](QDialog *dialog) {
                auto *f4 = static_cast<TForm4 *>(dialog);
                f4->allcaps->setItemIndex(1);
                f4->mainformlocation->setItemIndex(1);
                return int(QDialog::Accepted);
            };
            f.Options2Click();
            f.close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        TForm1 &f = *windows.Form1;
        QCOMPARE(f.speedmod->value(), 7);
        QCOMPARE(f.coarselabel->text(), QStringLiteral("Coarse: 7"));
        QCOMPARE(f.Timer1->interval(), 181u);
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.CurrentSpeed, 0);
        QCOMPARE(f.FontDialog1Font.Name, QStringLiteral("DejaVu Serif"));
        QCOMPARE(f.FontDialog1Font.size(), 30);
        QVERIFY(f.FontDialog1Font.Bold);
        // The first page is built with the restored font.
        QVERIFY(f.PageLines.contains(QStringLiteral("font-size: 30px;")));
        QVERIFY(f.PageLines.contains(QStringLiteral("font-family: DejaVu Serif;")));
        QCOMPARE(windows.Form4->allcaps->itemIndex(), 1);
        QCOMPARE(windows.Form4->mainformlocation->itemIndex(), 1);
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
            QCOMPARE(windows.Form1->speedmod->value(), 5);
            QCOMPARE(windows.Form1->Timer1->interval(), 300u);
            windows.Form1->close();
            QVERIFY(dialogs.messages.isEmpty());
        }
        QVERIFY(QFile::exists(home.storeFile() + QStringLiteral(".bad")));
        RegistryStore store(QStringLiteral("software\\morvane\\tavrix"));
        QCOMPARE(store.readInteger(QStringLiteral("Form1\\speedmod_Value"), 0), 5);
    }

    void unwritableStore_reportsOnCloseAndTheCloseGoesOn()
    {
        ConfigHome home;
        // A directory where the store file should be: no save can replace it.
        QVERIFY(QDir().mkpath(home.storeFile()));
        FakeDialogs dialogs;
        Windows windows = createWindows(dialogs);
        windows.Form1->show();
        QVERIFY(windows.Form1->close());
        QVERIFY(!windows.Form1->isVisible());
        QVERIFY(!dialogs.messages.isEmpty());
        QVERIFY2(dialogs.messages.constFirst().startsWith(QStringLiteral("Unable to")),
                 qPrintable(dialogs.messages.constFirst()));
    }
};

QTEST_MAIN(RestartTest)
#include "tst_restart.moc"
