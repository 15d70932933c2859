#include "artwork.h"
#include "flatmenustyle.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QStyleOptionMenuItem>
#include <QSvgRenderer>
#include <QtTest>

namespace {

constexpr QSize kButtonSize(21, 15);
constexpr int kButtonPictures = 22;

QImage imageOf(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

bool hasPixelOtherThan(const QImage &image, QRgb background, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != background)
                return true;
    return false;
}

bool hasVisiblePixel(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

double meanGrey(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (image.width() * image.height());
}

int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

const char *const kPictureNames[] = {
    "increase speed", "increase speed lit", "decrease speed",  "decrease speed lit",
    "coarse slower",  "coarse slower lit",  "coarse faster",   "coarse faster lit",
    "pause",          "pause lit",          "reverse",         "reverse lit",
    "reset",          "reset lit",          "previous script", "previous script lit",
    "next script",    "next script lit",    "spare",           "spare lit",
    "toggle help",    "toggle help lit",    "menu abc",        "menu F",
    "menu page",      "menu pencil",        "menu check",      "menu exclamation",
};

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void imageList1_holds28OpaquePicturesOf21x15();
    void imageList1_pictureShowsASymbol_data();
    void imageList1_pictureShowsASymbol();
    void buttonPicture_highlightedIsBrighterThanPlain_data();
    void buttonPicture_highlightedIsBrighterThanPlain();
    void imageList1_noTwoPicturesAlike();
    void buttonPicture_staysOnThePixelGrid_data();
    void buttonPicture_staysOnThePixelGrid();
    void imageList2_holdsTheFourOrientationsOfTheLogo();
    void imageList2_orientationsAreDistinguishable();
    void logo_drawsOnATransparentBackground();
    void dialogLogo_showsMarkAndName();
    void dialogIcons_areFourDistinctPicturesOf28x21();
    void scaledPictures_matchExactSizePicturesPixelForPixel();
    void appIcon_coversDesktopSizes();
    void flatMenuItem_arrowOnlyForSubmenus_data();
    void flatMenuItem_arrowOnlyForSubmenus();
};

void TestArtwork::imageList1_holds28OpaquePicturesOf21x15()
{
    const QList<QPixmap> pictures = makeImageList1();
    QCOMPARE(pictures.size(), 28);
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        QCOMPARE(pictures[i].size(), kButtonSize);
        QCOMPARE(pictures[i].devicePixelRatio(), 1.0);
        QVERIFY(!pictures[i].hasAlphaChannel());
        const QImage image = imageOf(pictures[i]);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(qAlpha(image.pixel(x, y)) == 255,
                         qPrintable(QStringLiteral("picture %1 has a see-through pixel at %2,%3")
                                        .arg(i)
                                        .arg(x)
                                        .arg(y)));
    }
}

void TestArtwork::imageList1_pictureShowsASymbol_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < 28; ++i)
        QTest::newRow(kPictureNames[i]) << i;
}

void TestArtwork::imageList1_pictureShowsASymbol()
{
    QFETCH(int, index);
    const QImage image = imageOf(makeImageList1().at(index));
    // Left of the symbol area: the button face, or the black of a menu picture.
    const QRgb background = image.pixel(1, 7);
    QVERIFY(hasPixelOtherThan(image, background, QRect(2, 2, 17, 11)));
}

void TestArtwork::buttonPicture_highlightedIsBrighterThanPlain_data()
{
    QTest::addColumn<int>("plain");
    for (int i = 0; i < kButtonPictures; i += 2)
        QTest::newRow(kPictureNames[i]) << i;
}

void TestArtwork::buttonPicture_highlightedIsBrighterThanPlain()
{
    QFETCH(int, plain);
    const QList<QPixmap> pictures = makeImageList1();
    const QImage leave = imageOf(pictures.at(plain));
    const QImage enter = imageOf(pictures.at(plain + 1));
    QVERIFY(leave != enter);
    // A clear step in brightness, so that the change under the pointer shows.
    QVERIFY2(
        meanGrey(enter) > meanGrey(leave) + 16,
        qPrintable(
            QStringLiteral("plain %1, highlighted %2").arg(meanGrey(leave)).arg(meanGrey(enter))));
}

void TestArtwork::imageList1_noTwoPicturesAlike()
{
    const QList<QPixmap> pictures = makeImageList1();
    for (qsizetype i = 0; i < pictures.size(); ++i)
        for (qsizetype j = i + 1; j < pictures.size(); ++j)
            QVERIFY2(imageOf(pictures[i]) != imageOf(pictures[j]),
                     qPrintable(QStringLiteral("%1 and %2 look the same")
                                    .arg(QLatin1String(kPictureNames[i]),
                                         QLatin1String(kPictureNames[j]))));
}

void TestArtwork::buttonPicture_staysOnThePixelGrid_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("maxColours");
    // Face, interior, frame and symbol, plus the top light of the highlighted face.
    for (int i = 0; i < kButtonPictures; ++i)
        QTest::newRow(kPictureNames[i]) << i << (i % 2 == 0 ? 4 : 5);
    QTest::newRow(kPictureNames[22]) << 22 << 2;
    QTest::newRow(kPictureNames[23]) << 23 << 2;
}

void TestArtwork::buttonPicture_staysOnThePixelGrid()
{
    QFETCH(int, index);
    QFETCH(int, maxColours);
    // An edge off the grid would blend into in-between colours, a blur at 21 x 15.
    QVERIFY2(colourCount(imageOf(makeImageList1().at(index))) <= maxColours,
             qPrintable(QString::number(colourCount(imageOf(makeImageList1().at(index))))));
}

void TestArtwork::imageList2_holdsTheFourOrientationsOfTheLogo()
{
    const QList<QPixmap> pictures = makeImageList2();
    QCOMPARE(pictures.size(), 4);
    for (const QPixmap &picture : pictures)
        QCOMPARE(picture.size(), QSize(100, 70));
    const QImage upright = imageOf(pictures[0]);
    // The upright picture is the logo's drawing itself, rendered here directly.
    QImage drawn(100, 70, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        QSvgRenderer(QStringLiteral(":/logo.svg")).render(&painter, QRectF(0, 0, 100, 70));
    }
    QCOMPARE(upright, imageOf(QPixmap::fromImage(drawn)));
    QCOMPARE(imageOf(pictures[1]), upright.mirrored(true, false));
    QCOMPARE(imageOf(pictures[2]), upright.mirrored(true, true));
    QCOMPARE(imageOf(pictures[3]), upright.mirrored(false, true));
}

void TestArtwork::imageList2_orientationsAreDistinguishable()
{
    // A logo symmetric either way would make two orientations the same picture.
    const QList<QPixmap> pictures = makeImageList2();
    for (qsizetype i = 0; i < pictures.size(); ++i)
        for (qsizetype j = i + 1; j < pictures.size(); ++j)
            QVERIFY2(imageOf(pictures[i]) != imageOf(pictures[j]),
                     qPrintable(QStringLiteral("orientations %1 and %2").arg(i).arg(j)));
}

void TestArtwork::logo_drawsOnATransparentBackground()
{
    const QImage logo = imageOf(makeLogo());
    QCOMPARE(logo.size(), QSize(100, 70));
    QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(logo.pixel(99, 69)), 0);
    QCOMPARE(qAlpha(logo.pixel(50, 20)), 255);
    QVERIFY(logo.hasAlphaChannel());
}

void TestArtwork::dialogLogo_showsMarkAndName()
{
    const QImage logo = imageOf(makeDialogLogo());
    QCOMPARE(logo.size(), QSize(153, 35));
    QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
    QVERIFY2(hasVisiblePixel(logo, QRect(0, 0, 50, 35)), "no mark");
    QVERIFY2(hasVisiblePixel(logo, QRect(55, 0, 98, 35)), "no name");
}

void TestArtwork::dialogIcons_areFourDistinctPicturesOf28x21()
{
    const QList<QPixmap> icons = makeDialogIcons();
    QCOMPARE(icons.size(), 4);
    for (qsizetype i = 0; i < icons.size(); ++i) {
        QCOMPARE(icons[i].size(), QSize(28, 21));
        QVERIFY2(hasVisiblePixel(imageOf(icons[i]), QRect(0, 0, 28, 21)),
                 qPrintable(QString::number(i)));
        for (qsizetype j = i + 1; j < icons.size(); ++j)
            QVERIFY(imageOf(icons[i]) != imageOf(icons[j]));
    }
}

void TestArtwork::scaledPictures_matchExactSizePicturesPixelForPixel()
{
    const QList<QPixmap> exact = makeImageList1();
    const QList<QPixmap> doubled = makeImageList1(2);
    QCOMPARE(doubled.size(), exact.size());
    for (int i = 0; i < kButtonPictures; ++i) {
        QCOMPARE(doubled[i].size(), kButtonSize * 2);
        QCOMPARE(doubled[i].devicePixelRatio(), 2.0);
        QCOMPARE(doubled[i].deviceIndependentSize(), QSizeF(kButtonSize));
        // On-grid artwork doubles into uniform 2 x 2 blocks: any sample of each block
        // gives back the exact-size picture, unless the cells were cut in the wrong place.
        QImage sampled =
            imageOf(doubled[i]).scaled(kButtonSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        sampled.setDevicePixelRatio(1);
        QCOMPARE(sampled, imageOf(exact[i]));
    }
    const QPixmap logo = makeLogo(2);
    QCOMPARE(logo.size(), QSize(200, 140));
    QCOMPARE(logo.deviceIndependentSize(), QSizeF(100, 70));
    QCOMPARE(makeImageList2(2).at(3).size(), QSize(200, 140));
    QCOMPARE(makeDialogLogo(3).size(), QSize(459, 105));
    QCOMPARE(makeDialogIcons(2).at(3).size(), QSize(56, 42));
}

void TestArtwork::appIcon_coversDesktopSizes()
{
    const QIcon icon = makeAppIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(48, 48)));
    QVERIFY(sizes.contains(QSize(256, 256)));
    const QImage image =
        icon.pixmap(QSize(48, 48)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(48, 48));
    QCOMPARE(qAlpha(image.pixel(24, 24)), 255);
}

void TestArtwork::flatMenuItem_arrowOnlyForSubmenus_data()
{
    QTest::addColumn<bool>("submenu");
    QTest::addColumn<int>("state");
    QTest::newRow("plain item") << false << int(QStyle::State_Enabled);
    QTest::newRow("plain item, selected")
        << false << int(QStyle::State_Enabled | QStyle::State_Selected);
    QTest::newRow("submenu") << true << int(QStyle::State_Enabled);
    QTest::newRow("submenu, selected")
        << true << int(QStyle::State_Enabled | QStyle::State_Selected);
}

// The arrow is the only thing drawn dark at the far end of the text side.
void TestArtwork::flatMenuItem_arrowOnlyForSubmenus()
{
    QFETCH(bool, submenu);
    QFETCH(int, state);
    QImage image(200, 21, QImage::Format_ARGB32);
    QStyleOptionMenuItem item;
    item.rect = image.rect();
    item.menuItemType = submenu ? QStyleOptionMenuItem::SubMenu : QStyleOptionMenuItem::Normal;
    item.state = QStyle::State(state);
    item.text = QStringLiteral("Talent");
    QPainter painter(&image);
    FlatMenuStyle().drawControl(QStyle::CE_MenuItem, &item, &painter);
    painter.end();
    int dark = 0;
    for (int y = 2; y < 19; ++y)
        for (int x = 186; x < 198; ++x)
            dark += qGray(image.pixel(x, y)) < 0x60 ? 1 : 0;
    QVERIFY2(submenu ? dark >= 8 : dark == 0, qPrintable(QString::number(dark)));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
