#include "latinkeys.h"

#include <QChar>
#include <QList>

#include <array>

namespace {

// X11 key codes (evdev + 8) of the three letter rows, US layout.
struct Row
{
    quint32 first;
    const char *letters;
};
constexpr std::array<Row, 3> kRows = {{{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}}};

int usLetterAt(quint32 scanCode)
{
    for (const Row &row : kRows) {
        const quint32 length = quint32(qstrlen(row.letters));
        if (scanCode >= row.first && scanCode < row.first + length)
            return row.letters[scanCode - row.first];
    }
    return 0;
}

bool isOtherScriptLetter(const QString &text)
{
    if (text.isEmpty())
        return false;
    const char32_t c = text.toUcs4().value(0);
    return QChar::isLetter(c) && QChar::script(c) != QChar::Script_Latin &&
           QChar::script(c) != QChar::Script_Common;
}

} // namespace

int latinLetterKey(int key, const QString &text, quint32 scanCode)
{
    if (key >= 'A' && key <= 'Z')
        return key;
    if (!isOtherScriptLetter(text))
        return key;
    const int latin = usLetterAt(scanCode);
    return latin ? latin : key;
}
