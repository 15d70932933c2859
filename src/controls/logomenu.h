#pragma once

#include <QMenu>

#include <memory>

class QStyle;

// The items of the logo's menu, in the order they show.
enum class MenuItem
{
    Open,
    Font,
    Options,
    QuickEdit,
    Print,
    StatusStrip,
    About,
    MirrorLeftToRight,
    MirrorTopToBottom,
    Remote,
    FollowVoice,
    Paste,
    Keys,
    NextMarker,
    PreviousMarker,
    TargetTime,
    ShowOptions,
};

// The menu a right click on the logo opens: its items, their order and
// separators, pictures and check marks. Its owner connects the items.
class LogoMenu final : public QMenu
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogoMenu)

public:
    // `pictures` holds the items' pictures, after the status strip's.
    explicit LogoMenu(const QList<QPixmap> &pictures, QWidget *parent = nullptr);
    ~LogoMenu() override;

    QAction *item(MenuItem which) const;
    // The flat look, for submenus made elsewhere.
    QStyle *flatStyle() const { return m_style.get(); }
    // The talent screen's submenu, shown after the mirror items.
    void setTalentMenu(QMenu *menu);
    // The markers' Go To submenu, shown after Previous Marker.
    void setGoToMenu(QMenu *menu);

private:
    std::unique_ptr<QStyle> m_style;
    QList<QAction *> m_items;
    QAction *m_afterMirrors = nullptr;
    QAction *m_afterMarkers = nullptr;
};
