#include "aboutdialog.h"

#include "artwork.h"
#include "colours.h"
#include "texts.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QUrl>

using namespace texts;

namespace {

QLabel *placedLabel(QWidget *parent, const QString &name, const QRect &place, const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    setTextColour(label, colour);
    return label;
}

} // namespace

AboutDialog::AboutDialog(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(rsAboutCaption);
    setModal(true);
    setFixedSize(325, 151);
    fillBackground(this, Qt::black);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    const QColor silver(0xC0, 0xC0, 0xC0);
    QLabel *logo = placedLabel(this, QStringLiteral("logo"), {8, 8, 100, 70}, silver);
    logo->setPixmap(makeLogo());
    logo->setAlignment(Qt::AlignCenter);

    QLabel *latest =
        placedLabel(this, QStringLiteral("latestVersionLabel"), {119, 32, 180, 26}, silver);
    latest->setWordWrap(true);
    latest->setText(rsLatestVersion);

    m_link =
        placedLabel(this, QStringLiteral("homePageLink"), {119, 63, 163, 15}, QColor(0, 0xFF, 0));
    QFont underlined = tahoma;
    underlined.setUnderline(true);
    m_link->setFont(underlined);
    // Switched off, the link greys out like any disabled control.
    QPalette linkColours = m_link->palette();
    linkColours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    m_link->setPalette(linkColours);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setText(rsHomePage);
    m_link->installEventFilter(this);

    placedLabel(this, QStringLiteral("versionLabel"), {48, 100, 32, 13}, silver)
        ->setText(rsShortVersion);

    auto *ok = new QPushButton(rsOk, this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(232, 96, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    QLabel *notice = placedLabel(this, QStringLiteral("noticeLabel"), {0, 131, 325, 20},
                                 QColor(0x80, 0x80, 0x80));
    QFont small(QStringLiteral("Small Fonts"));
    small.setPointSize(6);
    notice->setFont(small);
    notice->setAlignment(Qt::AlignCenter);
    notice->setText(rsAboutNotice);
}

void AboutDialog::showOver(const QWidget *window)
{
    if (window) {
        QRect frame = frameGeometry();
        frame.moveCenter(window->frameGeometry().center());
        move(frame.topLeft());
    }
    m_dialogs.execModal(this);
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_link && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_link->isEnabled()) {
        openHomePage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::openHomePage()
{
    // A desktop without a browser refuses once; the link stays off for the run.
    if (!m_dialogs.openUrl(QUrl(m_link->text())))
        m_link->setEnabled(false);
}
