#pragma once

#include "dialogs.h"
#include "fontrecord.h"
#include "operatoraction.h"
#include "readout.h"

#include <QMargins>
#include <QStringList>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AboutDialog;
class ConnectionProbe;
class HtmlView;
class KeysDialog;
class OperatorKeys;
class LogoMenu;
class LogoPanel;
class OptionsDialog;
class QuickEditDialog;
class QDragEnterEvent;
class QDropEvent;
class RegistryStore;
class RemoteWindow;
class ScreenWatch;
class ScrollClock;
class ShowControl;
class SliderColumn;
class StatusStrip;
class TalentScreen;
class WindowSettings;
struct KeyChord;
namespace voice {
class FollowController;
}

// The prompter: a black band with the logo panel at the left, the page in
// the middle, the slider column at the right and the status strip below. It
// holds the band's state (speed, direction, the script and its place in the
// queue, docking) and wires the parts to it.
class PrompterWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrompterWindow)

public:
    explicit PrompterWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~PrompterWindow() override;

    // The dialogs exist only after the main window; program entry hands them over.
    void setDialogs(QuickEditDialog *quickEdit, OptionsDialog *options, AboutDialog *about);

    // The menu's commands.
    void openSingleScript();
    void showOptions();
    void quickEditScript();
    void printScript();
    void chooseFont();
    void showAbout();
    // Shows the clipboard's text as a script titled "Pasted text".
    void pasteScript();
    // One file opens as Open Single Script opens it; several become the queue,
    // in their order, the first shown. Nothing changes when the first cannot be read.
    void openScripts(const QStringList &paths);
    // Steps through the options window's queue; does nothing at either end.
    void previousQueueScript();
    void nextQueueScript();

    // The operator's actions, as the keys do them (coarse faster and slower,
    // which have no key, as their buttons do); `value` is set speed's speed or
    // set step's step.
    void perform(OperatorAction action, int value = 0);
    // The status strip's readout; readoutChanged() tells when it may have changed.
    Readout readout() const;

    // The quick edit window's result: the script's lines change, the title stays.
    void showEditedScript(const QStringList &lines);
    // The font dialog's result: the page is built again in it.
    void setPromptFont(const FontRecord &font);

    int currentSpeed() const { return m_currentSpeed; }
    bool scrollForward() const { return m_scrollForward; }
    bool helpShown() const { return m_help.shown; }
    QString scriptTitle() const { return m_script.title; }
    int queuePosition() const { return m_queuePosition; }
    // The page's furthest scroll position, measured when it loaded.
    int documentLength() const { return m_script.documentLength; }
    QStringList scriptLines() const { return m_script.lines; }
    // The page as it was last handed to the view.
    QStringList pageLines() const { return m_script.pageLines; }
    FontRecord promptFont() const { return m_promptFont; }

Q_SIGNALS:
    void readoutChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The operator's bound keys reach the band before the page moves on them.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Who asked for an action: a few of the strip's buttons have long done a
    // little more or less than their keys.
    enum class Caller
    {
        Key,
        Button
    };

    void createControls();
    void createSettings();
    void connectParts();
    void connectMenu();
    void initialise();

    void act(OperatorAction action, int value, Caller caller);
    void stepSpeed(int delta);
    void stepCoarse(int delta);
    void togglePause();
    void applySpeed();
    void pause();
    void rewindAndPause();
    void setSpeedText(bool moving);
    void updateTimes();
    void updateRemaining();
    void toggleStatusStrip();
    void applyMirror();
    void toggleHelp();
    // The page starts from a pause, after the countdown when there is one.
    void startFromPause();
    void startMoving();
    void targetTime();
    void onProbeFinished(bool connected);
    // Every speed or pause control calls stopFollowing() first; a pause control
    // that ended following leaves the page still (stopFollowing() is true).
    void toggleFollowing();
    bool stopFollowing();
    void showRemote();
    void showKeys();
    // What the operator bound the key to; true when it was bound.
    bool onBoundKey(const KeyChord &chord);
    void toggleTalentScreen();

    void rebuildPage();
    // Reads a script by the read rule and shows it; throws before changing anything.
    void loadScript(const QString &path);
    // `headings` are a document's; plain text and RTF mark sections with "# " lines.
    void showScript(const QString &title, const QStringList &lines, bool endsAtNul,
                    const QList<qsizetype> &headings = {});
    // Shows the queue item at m_queuePosition, paused, with the focus on the page.
    void showQueueItem(const QStringList &items);
    int pixelsPerInch() const;

    // Event handlers.
    // The ticks due since the last frame, applied as one move.
    void onScrollTick(int ticks);
    void onSpeedSliderChanged();
    void onPageLoaded();
    void onPageKey(int key);
    void onPagePress(Qt::MouseButton button);
    void onShown();
    void onClosing();

    void dockToScreenEdge();
    void dockWithOuterHeight(int outerHeight);
    // What the window manager's frame adds on each side; none before it frames the window.
    QMargins frameMargins() const;
    void redockIfFrameChanged();

    // Runs a handler; an error that escapes it reaches the operator.
    void guarded(const std::function<void()> &handler);
    // Connects a signal to a handler run guarded.
    template <typename Sender, typename Signal, typename Handler>
    void on(Sender *sender, Signal signal, Handler handler);
    void showError(const std::exception &error);

    // The script shown and its page.
    struct Script
    {
        QString title;
        // The script is only the beginning of its file: the text ends at a NUL.
        bool endsAtNul = false;
        QStringList lines;
        QStringList pageLines;
        int documentLength = 0;
    };
    // The online help page and the press that asked for it; the probe's answer is for that page
    // only.
    struct Help
    {
        bool shown = false;
        quint64 pressedOnPage = 0;
    };
    // The windows program entry hands over.
    struct Windows
    {
        QuickEditDialog *quickEdit = nullptr;
        OptionsDialog *options = nullptr;
        AboutDialog *about = nullptr;
    };

    int m_currentSpeed = 0;
    bool m_scrollForward = false;
    int m_queuePosition = 0;
    Script m_script;
    Help m_help;
    FontRecord m_promptFont;
    FileDialogState m_openState;
    // The frame margins and outer height the window was last docked with.
    std::optional<QMargins> m_dockedMargins;
    int m_dockedOuterHeight = 0;

    // The parts; each carries its role as its object name.
    LogoPanel *logoPanel = nullptr;
    HtmlView *page = nullptr;
    SliderColumn *sliders = nullptr;
    StatusStrip *statusStrip = nullptr;
    LogoMenu *logoMenu = nullptr;
    ScrollClock *scrollTimer = nullptr;
    ConnectionProbe *connectionProbe = nullptr;
    ScreenWatch *m_screens = nullptr;
    TalentScreen *talentScreen = nullptr;
    RemoteWindow *m_remote = nullptr;
    voice::FollowController *m_follow = nullptr;
    OperatorKeys *m_keys = nullptr;
    KeysDialog *m_keysDialog = nullptr;
    ShowControl *m_show = nullptr;
    Windows m_windows;

    Dialogs &m_dialogs;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<WindowSettings> m_settings;
};
