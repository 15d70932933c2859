#include "logomenu.h"

#include "flatmenustyle.h"
#include "texts.h"

using namespace texts;

LogoMenu::LogoMenu(const QList<QPixmap> &pictures, QWidget *parent)
    : QMenu(parent), m_style(std::make_unique<FlatMenuStyle>())
{
    setObjectName(QStringLiteral("logoMenu"));
    setStyle(m_style.get());
    const struct
    {
        MenuItem item;
        const char *name;
        QString text;
        int picture; // -1: none; -2: a check mark
        bool separatorBefore;
    } items[] = {
        {MenuItem::Open, "openAction", rsOpenSingleScript, 22, false},
        {MenuItem::Font, "fontAction", rsFont, 23, false},
        {MenuItem::Options, "optionsAction", rsOptions, 26, true},
        {MenuItem::QuickEdit, "quickEditAction", rsQuickEdit, 25, true},
        {MenuItem::Print, "printAction", rsPrintScript, 24, false},
        {MenuItem::StatusStrip, "statusStripAction", rsShowStatusBar, -2, true},
        {MenuItem::About, "aboutAction", rsAbout, 27, true},
        {MenuItem::MirrorLeftToRight, "mirrorLeftToRightAction", rsMirrorLeftToRight, -2, true},
        {MenuItem::MirrorTopToBottom, "mirrorTopToBottomAction", rsMirrorTopToBottom, -2, false},
        {MenuItem::Remote, "remoteAction", QStringLiteral("Remote Control..."), -1, true},
        {MenuItem::FollowVoice, "followVoiceAction", rsFollowMyVoice, -2, true},
        {MenuItem::Paste, "pasteAction", rsPaste, -1, true},
        {MenuItem::Keys, "keysAction", QStringLiteral("Keys and Devices..."), -1, true},
        // No mnemonics: a letter typed in the menu keeps opening what it always opened.
        {MenuItem::NextMarker, "nextMarkerAction", QStringLiteral("Next Marker"), -1, true},
        {MenuItem::PreviousMarker, "previousMarkerAction", QStringLiteral("Previous Marker"), -1,
         false},
        {MenuItem::TargetTime, "targetTimeAction", QStringLiteral("Target Time..."), -1, true},
        {MenuItem::ShowOptions, "showOptionsAction", QStringLiteral("Show Options..."), -1, false},
    };
    for (const auto &i : items) {
        if (i.separatorBefore) {
            QAction *separator = addSeparator();
            if (i.item == MenuItem::Remote)
                m_afterMirrors = separator;
            if (i.item == MenuItem::TargetTime)
                m_afterMarkers = separator;
        }
        QAction *action = addAction(i.text);
        action->setObjectName(QLatin1String(i.name));
        if (i.picture >= 0)
            action->setIcon(QIcon(pictures.value(i.picture)));
        action->setCheckable(i.picture == -2);
        m_items.append(action);
    }
    item(MenuItem::StatusStrip)->setChecked(true);
}

LogoMenu::~LogoMenu() = default;

QAction *LogoMenu::item(MenuItem which) const
{
    return m_items.at(int(which));
}

void LogoMenu::setTalentMenu(QMenu *menu)
{
    insertMenu(m_afterMirrors, menu)->setObjectName(QStringLiteral("talentScreenItem"));
}

void LogoMenu::setGoToMenu(QMenu *menu)
{
    menu->setStyle(m_style.get());
    insertMenu(m_afterMarkers, menu)->setObjectName(QStringLiteral("goToItem"));
}
