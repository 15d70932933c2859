#pragma once

#include "talentstore.h"

#include <QObject>
#include <QPointer>

#include <memory>

class HtmlView;
class QAction;
class QMenu;
class QScreen;
class QStyle;
class QWidget;
class RegistryStore;
class TalentWindow;

// The "Talent Screen" submenu and the talent window it opens: which screen,
// its mirror flags and its text size, kept in the store as they change. The
// window follows its screen: it closes when the screen goes and opens again
// when the chosen screen comes back.
class TalentScreen final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TalentScreen)

public:
    // `bandWindow` owns the submenu and this; this owns the talent window, a
    // top-level window of its own; `store` outlives this.
    TalentScreen(HtmlView *band, QWidget *bandWindow, RegistryStore &store, const QString &section,
                 QStyle *menuStyle);
    ~TalentScreen() override;

    QMenu *menu() const { return m_menu; }
    // Opens the stored screen's window if that screen is there; says nothing otherwise.
    void start();
    // Closes the window, keeping the choice (the band is closing).
    void stop();
    // Chooses a screen by name and opens the window there; empty means "Off".
    void choose(const QString &screenName);
    // The stored choice, shown or not.
    QString chosen() const { return m_chosen; }
    // The window while it is shown, else null.
    TalentWindow *window() const;
    // The screens the talent window may use: all but the band's own.
    QList<QScreen *> candidates() const;

    void setMirror(const MirrorFlags &flags);
    MirrorFlags mirror() const;
    void largerText();
    void smallerText();
    // Opens, moves or closes the window for the screens and the band's place as they are now.
    void onScreensChanged();

Q_SIGNALS:
    // A talent window was made and is about to be shown.
    void opened(TalentWindow *window);

private:
    void fillMenu();
    QScreen *chosenScreen() const;
    void openWindow();
    void closeWindow();

    HtmlView *m_band;
    QWidget *m_bandWindow;
    TalentStore m_store;
    QString m_chosen;
    int m_characters;
    QMenu *m_menu = nullptr;
    std::unique_ptr<TalentWindow> m_window;
    QPointer<QScreen> m_screen; // the screen m_window was opened on
    bool m_started = false;
    bool m_followsBand = false; // connected to the band window's screen changes
};
