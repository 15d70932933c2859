#include "showoptionsdialog.h"
#include "targettimedialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ShowOptions)

namespace {

template <typename T> T *child(QWidget &window, const QString &name)
{
    T *widget = window.findChild<T *>(name);
    if (!widget)
        qFatal("no child %s", qPrintable(name));
    return widget;
}

} // namespace

class ShowDialogsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Options in, the control that shows them, options out unchanged.
    void showOptions_roundTrip_data()
    {
        QTest::addColumn<ShowOptions>("options");
        QTest::addColumn<QString>("checked");
        QTest::newRow("all off") << ShowOptions{} << u"countdownOffButton"_s;
        QTest::newRow("3 s") << ShowOptions{3, false, false} << u"countdown3Button"_s;
        QTest::newRow("5 s and words per minute")
            << ShowOptions{5, true, false} << u"countdown5Button"_s;
        QTest::newRow("10 s and the reading line")
            << ShowOptions{10, false, true} << u"countdown10Button"_s;
        QTest::newRow("30 s, everything on")
            << ShowOptions{30, true, true} << u"countdownCustomButton"_s;
        QTest::newRow("1 s") << ShowOptions{1, false, false} << u"countdownCustomButton"_s;
    }

    void showOptions_roundTrip()
    {
        QFETCH(ShowOptions, options);
        QFETCH(QString, checked);
        ShowOptionsDialog dialog;
        dialog.setOptions(options);
        QVERIFY(child<QRadioButton>(dialog, checked)->isChecked());
        QCOMPARE(child<QSpinBox>(dialog, u"countdownSecondsBox"_s)->isEnabled(),
                 checked == u"countdownCustomButton"_s);
        QCOMPARE(child<QCheckBox>(dialog, u"wordsPerMinuteBox"_s)->isChecked(),
                 options.wordsPerMinute);
        QCOMPARE(child<QCheckBox>(dialog, u"readingLineBox"_s)->isChecked(), options.readingLine);
        QCOMPARE(dialog.options(), options);
    }

    // What is typed, whether Ok is offered, and what the line under the field says.
    void targetTime_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("problem");
        QTest::newRow("nothing yet") << QString() << false << qint64(0) << QString();
        QTest::newRow("m:ss") << u"4:30"_s << true << qint64(270000) << QString();
        QTest::newRow("h:mm:ss") << u"1:00:00"_s << true << qint64(3600000) << QString();
        QTest::newRow("0:00") << u"0:00"_s << false << qint64(0)
                              << u"The time must be longer than 0:00."_s;
        QTest::newRow("99:99:99") << u"99:99:99"_s << false << qint64(0)
                                  << u"Minutes and seconds go up to 59."_s;
        QTest::newRow("negative") << u"-2:00"_s << false << qint64(0)
                                  << u"A time cannot be negative."_s;
        QTest::newRow("text") << u"soon"_s << false << qint64(0)
                              << u"Type the time as m:ss or h:mm:ss, such as 4:30."_s;
    }

    void targetTime()
    {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(qint64, ms);
        QFETCH(QString, problem);
        TargetTimeDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(child<QLineEdit>(dialog, u"durationEdit"_s), typed);
        QCOMPARE(child<QPushButton>(dialog, u"okButton"_s)->isEnabled(), ok);
        QCOMPARE(child<QLabel>(dialog, u"problemLabel"_s)->text(), problem);
        QCOMPARE(dialog.targetMs(), ms);
    }

    void targetTime_scope()
    {
        TargetTimeDialog dialog;
        auto *section = child<QRadioButton>(dialog, u"restOfSectionButton"_s);
        QCOMPARE(dialog.scope(), timefit::Scope::RestOfScript);
        section->setChecked(true);
        QCOMPARE(dialog.scope(), timefit::Scope::RestOfSection);
        // No marker ahead: no section to fit, and the script is what is fitted.
        dialog.setSectionAvailable(false);
        QVERIFY(!section->isEnabled());
        QCOMPARE(dialog.scope(), timefit::Scope::RestOfScript);
        dialog.setCurrentTime(125000);
        QCOMPARE(child<QLabel>(dialog, u"currentLabel"_s)->text(), u"At the speed now: 2:05"_s);
    }
};

QTEST_MAIN(ShowDialogsTest)
#include "tst_showdialogs.moc"
