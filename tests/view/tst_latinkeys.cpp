#include "latinkeys.h"

#include <QTest>

// Letter keys on non-Latin layouts act by their physical key.
class LatinKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void letters_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("scanCode");
        QTest::addColumn<int>("expected");
        // Russian ЙЦУКЕН: the W key prints ц, Q й, E у, A ф, S ы, D в, F а.
        const QList<std::tuple<const char *, char32_t, uint, char>> russian = {
            {"ru W", U'ц', 25, 'W'},
            {"ru Q", U'й', 24, 'Q'},
            {"ru E", U'у', 26, 'E'},
            {"ru A", U'ф', 38, 'A'},
            {"ru S", U'ы', 39, 'S'},
            {"ru D", U'в', 40, 'D'},
            {"ru F", U'а', 41, 'F'},
            {"ru M", U'ь', 58, 'M'},
            // Greek: W prints ς, E ε, A α, S σ, D δ, F φ.
            {"el W", U'ς', 25, 'W'},
            {"el E", U'ε', 26, 'E'},
            {"el A", U'α', 38, 'A'},
            {"el S", U'σ', 39, 'S'},
            {"el D", U'δ', 40, 'D'},
            {"el F", U'φ', 41, 'F'},
        };
        for (const auto &[name, letter, code, latin] : russian) {
            const QString text = QString::fromUcs4(&letter, 1);
            QTest::newRow(name) << int(text.toUpper().at(0).unicode()) << text << code
                                << int(latin);
        }
        // Latin layouts keep their own letters: AZERTY's A sits where QWERTY has Q.
        QTest::newRow("azerty A") << int(Qt::Key_A) << "a" << 24u << int(Qt::Key_A);
        QTest::newRow("azerty Z") << int(Qt::Key_Z) << "z" << 25u << int(Qt::Key_Z);
        QTest::newRow("german Z") << int(Qt::Key_Z) << "z" << 29u << int(Qt::Key_Z);
        // Turkish F: ğ sits on the E key and is a Latin letter of its own.
        QTest::newRow("tr-F ğ on E") << int(U'Ğ') << "ğ" << 26u << int(U'Ğ');
        // Not letters: unchanged, wherever they sit.
        QTest::newRow("greek semicolon on Q")
            << int(Qt::Key_Semicolon) << ";" << 24u << int(Qt::Key_Semicolon);
        QTest::newRow("digit") << int(Qt::Key_1) << "1" << 10u << int(Qt::Key_1);
        QTest::newRow("tab") << int(Qt::Key_Tab) << "\t" << 23u << int(Qt::Key_Tab);
        QTest::newRow("arrow") << int(Qt::Key_Down) << "" << 116u << int(Qt::Key_Down);
        // A Cyrillic letter on a key outside the letter rows keeps its own code.
        QTest::newRow("ru х on [") << int(U'Х') << "х" << 34u << int(U'Х');
        QTest::newRow("no scan code") << int(U'Ц') << "ц" << 0u << int(U'Ц');
    }

    void letters()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(uint, scanCode);
        QFETCH(int, expected);
        QCOMPARE(latinLetterKey(key, text, scanCode), expected);
    }
};

QTEST_MAIN(LatinKeysTest)
#include "tst_latinkeys.moc"
