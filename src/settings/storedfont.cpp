#include "storedfont.h"

#include "texts.h"

#include "registrystore.h"
#include "tavrixerror.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct Ident
{
    int value;
    const char16_t *name;
};

// Where two names share a value, the first one is written.
constexpr Ident charsets[] = {
    {0, u"ANSI_CHARSET"},          {1, u"DEFAULT_CHARSET"},    {2, u"SYMBOL_CHARSET"},
    {77, u"MAC_CHARSET"},          {128, u"SHIFTJIS_CHARSET"}, {129, u"HANGEUL_CHARSET"},
    {129, u"HANGUL_CHARSET"},      {130, u"JOHAB_CHARSET"},    {134, u"GB2312_CHARSET"},
    {136, u"CHINESEBIG5_CHARSET"}, {161, u"GREEK_CHARSET"},    {162, u"TURKISH_CHARSET"},
    {163, u"VIETNAMESE_CHARSET"},  {177, u"HEBREW_CHARSET"},   {178, u"ARABIC_CHARSET"},
    {186, u"BALTIC_CHARSET"},      {204, u"RUSSIAN_CHARSET"},  {222, u"THAI_CHARSET"},
    {238, u"EASTEUROPE_CHARSET"},  {255, u"OEM_CHARSET"},
};

// A system colour is 0xFF000000 plus the platform's colour index.
constexpr int sys(int index)
{
    return int(0xFF000000u | unsigned(index));
}

constexpr Ident colors[] = {
    {0x000000, u"clBlack"},
    {0x000080, u"clMaroon"},
    {0x008000, u"clGreen"},
    {0x008080, u"clOlive"},
    {0x800000, u"clNavy"},
    {0x800080, u"clPurple"},
    {0x808000, u"clTeal"},
    {0x808080, u"clGray"},
    {0xC0C0C0, u"clSilver"},
    {0x0000FF, u"clRed"},
    {0x00FF00, u"clLime"},
    {0x00FFFF, u"clYellow"},
    {0xFF0000, u"clBlue"},
    {0xFF00FF, u"clFuchsia"},
    {0xFFFF00, u"clAqua"},
    {0xFFFFFF, u"clWhite"},
    {0x1FFFFFFF, u"clNone"},
    {0x20000000, u"clDefault"},
    {sys(0), u"clScrollBar"},
    {sys(1), u"clBackground"},
    {sys(2), u"clActiveCaption"},
    {sys(3), u"clInactiveCaption"},
    {sys(4), u"clMenu"},
    {sys(5), u"clWindow"},
    {sys(6), u"clWindowFrame"},
    {sys(7), u"clMenuText"},
    {sys(8), u"clWindowText"},
    {sys(9), u"clCaptionText"},
    {sys(10), u"clActiveBorder"},
    {sys(11), u"clInactiveBorder"},
    {sys(12), u"clAppWorkSpace"},
    {sys(13), u"clHighlight"},
    {sys(14), u"clHighlightText"},
    {sys(15), u"clBtnFace"},
    {sys(16), u"clBtnShadow"},
    {sys(17), u"clGrayText"},
    {sys(18), u"clBtnText"},
    {sys(19), u"clInactiveCaptionText"},
    {sys(20), u"clBtnHighlight"},
    {sys(21), u"cl3DDkShadow"},
    {sys(22), u"cl3DLight"},
    {sys(23), u"clInfoText"},
    {sys(24), u"clInfoBk"},
    {sys(26), u"clHotLight"},
    {sys(27), u"clGradientActiveCaption"},
    {sys(28), u"clGradientInactiveCaption"},
    {sys(29), u"clMenuHighlight"},
    {sys(30), u"clMenuBar"},
};

constexpr std::array<std::pair<FontRecord::Pitch, const char16_t *>, 3> pitches = {{
    {FontRecord::Pitch::Default, u"fpDefault"},
    {FontRecord::Pitch::Variable, u"fpVariable"},
    {FontRecord::Pitch::Fixed, u"fpFixed"},
}};

// The style set's members in their declared order.
constexpr std::array<std::pair<bool FontRecord::*, const char16_t *>, 4> styles = {{
    {&FontRecord::Bold, u"fsBold"},
    {&FontRecord::Italic, u"fsItalic"},
    {&FontRecord::Underline, u"fsUnderline"},
    {&FontRecord::StrikeOut, u"fsStrikeOut"},
}};

template <std::size_t N> QString nameOf(const Ident (&table)[N], int value)
{
    for (const Ident &ident : table) {
        if (ident.value == value)
            return QString::fromUtf16(ident.name);
    }
    return {};
}

template <std::size_t N> std::optional<int> valueOf(const Ident (&table)[N], QStringView name)
{
    for (const Ident &ident : table) {
        if (name.compare(QStringView(ident.name), Qt::CaseInsensitive) == 0)
            return ident.value;
    }
    return std::nullopt;
}

QString member(const QString &keyPath, const char16_t *name)
{
    return keyPath + u'\\' + QStringView(name);
}

// A symbolic integer goes out as its name when it has one.
void writeSymbolic(RegistryStore &store, const QString &path, const QString &name, int value)
{
    if (name.isEmpty())
        store.writeInteger(path, value);
    else
        store.writeString(path, name);
}

std::optional<int> readSymbolic(const RegistryStore &store, const QString &path,
                                std::optional<int> (*lookup)(QStringView), int current)
{
    if (!store.valueExists(path))
        return std::nullopt;
    if (const auto value = lookup(store.readString(path, QString())))
        return value;
    return store.readInteger(path, current);
}

// Set text as "[fsBold,fsItalic]": brackets optional, blanks around names ignored.
void readStyleText(const QString &text, FontRecord &font)
{
    QStringView body = QStringView(text).trimmed();
    if (body.startsWith(u'[') && body.endsWith(u']'))
        body = body.sliced(1, body.size() - 2);
    FontRecord styled = font;
    for (const auto &style : styles)
        styled.*style.first = false;
    for (QStringView part : body.tokenize(u',')) {
        const QStringView name = part.trimmed();
        if (name.isEmpty())
            continue;
        const auto found = std::find_if(styles.begin(), styles.end(), [&](const auto &style) {
            return name.compare(QStringView(style.second), Qt::CaseInsensitive) == 0;
        });
        if (found == styles.end())
            throw TavrixError(texts::rsInvalidProperty.arg(name));
        styled.*found->first = true;
    }
    font = styled;
}

} // namespace

bool isFontDialogSize(int points)
{
    return points >= kMinFontPoints && points <= kMaxFontPoints;
}

QString charsetName(int charset)
{
    return nameOf(charsets, charset);
}

std::optional<int> charsetValue(QStringView name)
{
    return valueOf(charsets, name);
}

QString colorName(int color)
{
    return nameOf(colors, color);
}

std::optional<int> colorValue(QStringView name)
{
    return valueOf(colors, name);
}

QString pitchName(FontRecord::Pitch pitch)
{
    for (const auto &[value, name] : pitches) {
        if (value == pitch)
            return QString::fromUtf16(name);
    }
    return {};
}

bool readStoredBoolean(const RegistryStore &store, const QString &path, bool defaultValue)
{
    if (!store.valueExists(path))
        return defaultValue;
    const QString text = store.readString(path, QString());
    if (text.isNull())
        return false;
    static const QStringList trueWords = {QStringLiteral("TRUE"), QStringLiteral("YES"),
                                          QStringLiteral("Y")};
    static const QStringList falseWords = {QStringLiteral("FALSE"), QStringLiteral("NO"),
                                           QStringLiteral("N")};
    if (trueWords.contains(text, Qt::CaseInsensitive))
        return true;
    if (falseWords.contains(text, Qt::CaseInsensitive))
        return false;
    return store.readInteger(path, 0) != 0;
}

void writeStoredFont(RegistryStore &store, const QString &keyPath, const FontRecord &font,
                     int pixelsPerInch)
{
    writeSymbolic(store, member(keyPath, u"Charset"), charsetName(font.Charset), font.Charset);
    writeSymbolic(store, member(keyPath, u"Color"), colorName(font.Color), font.Color);
    store.writeInteger(member(keyPath, u"Height"), font.Height);
    store.writeString(member(keyPath, u"Name"), font.Name);
    store.writeInteger(member(keyPath, u"Orientation"), font.Orientation);
    store.writeString(member(keyPath, u"Pitch"), pitchName(font.pitch));
    store.writeInteger(member(keyPath, u"Size"), font.size(pixelsPerInch));
    const QString styleKey = member(keyPath, u"Style");
    for (const auto &[flag, name] : styles)
        store.writeString(member(styleKey, name),
                          font.*flag ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

void readStoredFont(const RegistryStore &store, const QString &keyPath, FontRecord &font,
                    int pixelsPerInch)
{
    if (const auto charset =
            readSymbolic(store, member(keyPath, u"Charset"), charsetValue, font.Charset))
        font.Charset = *charset;
    if (const auto color = readSymbolic(store, member(keyPath, u"Color"), colorValue, font.Color))
        font.Color = *color;

    const QString height = member(keyPath, u"Height");
    if (store.valueExists(height))
        font.setHeight(store.readInteger(height, font.Height));

    // An empty face name leaves the face as it is.
    const QString name = store.readString(member(keyPath, u"Name"), QString());
    if (!name.isEmpty())
        font.Name = name;

    const QString orientation = member(keyPath, u"Orientation");
    if (store.valueExists(orientation))
        font.Orientation = store.readInteger(orientation, font.Orientation);

    const QString pitch = member(keyPath, u"Pitch");
    if (store.valueExists(pitch)) {
        const QString text = store.readString(pitch, QString());
        const auto named = std::find_if(pitches.begin(), pitches.end(), [&](const auto &p) {
            return text.compare(QStringView(p.second), Qt::CaseInsensitive) == 0;
        });
        if (named != pitches.end()) {
            font.pitch = named->first;
        } else {
            const int number = store.readInteger(pitch, -1);
            if (number >= 0 && number < int(pitches.size()))
                font.pitch = pitches[number].first;
        }
    }

    // Size comes after Height and so decides the final height. A size that the
    // font dialog would not take shows no readable text: the designed size stands in.
    const QString size = member(keyPath, u"Size");
    if (store.valueExists(size)) {
        const int points = store.readInteger(size, font.size(pixelsPerInch));
        font.setSize(isFontDialogSize(points) ? points : FontRecord().size(), pixelsPerInch);
    } else if (store.valueExists(height) && !isFontDialogSize(font.size(pixelsPerInch))) {
        font.setSize(FontRecord().size(), pixelsPerInch);
    }

    const QString styleKey = member(keyPath, u"Style");
    if (store.keyExists(styleKey)) {
        for (const auto &[flag, styleName] : styles)
            font.*flag = readStoredBoolean(store, member(styleKey, styleName), false);
    } else if (const QString text = store.readString(styleKey, QString()); !text.isNull()) {
        readStyleText(text, font);
    }
}
