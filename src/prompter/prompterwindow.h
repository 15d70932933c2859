#pragma once

#include "dialogs.h"
#include "fontrecord.h"
#include "incrementslider.h"
#include "operatoraction.h"
#include "readout.h"

#include <QElapsedTimer>
#include <QMargins>
#include <QStringList>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class ConnectionProbe;
class FollowMotion;
class WordLayout;
namespace voice {
class VoiceFollower;
}
class HtmlView;
class PictureButton;
class PromptTimer;
class ScrollClock;
class QFrame;
class QLabel;
class QScreen;
class QDragEnterEvent;
class QDropEvent;
class QMenu;
class QAction;
class QSlider;
class QuickEditDialog;
class OptionsDialog;
class AboutDialog;
class RegistryStore;
class RemoteWindow;
class TalentScreen;
class WindowSettings;

// The prompter: a black band with the logo panel at the left, the page in
// the middle, the slider column at the right and the status strip below.
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
    bool helpShown() const { return m_helpShown; }
    QString scriptTitle() const { return m_scriptTitle; }
    int queuePosition() const { return m_queuePosition; }
    // The page's furthest scroll position, measured when it loaded.
    int documentLength() const { return m_documentLength; }
    QStringList scriptLines() const { return m_scriptLines; }
    // The page as it was last handed to the view.
    QStringList pageLines() const { return m_pageLines; }
    FontRecord promptFont() const { return m_promptFont; }

Q_SIGNALS:
    void readoutChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenu();
    void createSettings();
    void assignTexts();
    void connectHandlers();
    void connectControlStrip();
    void initialise();
    // The remote control window, its menu item and its wiring to the actions.
    void createRemote();
    // The Paste item, and the band taking dropped files.
    void createScriptImport();
    void showRemote();

    // Who asked for an action: a few of the strip's buttons have long done a
    // little more or less than their keys.
    enum class Caller
    {
        Key,
        Button
    };
    void act(OperatorAction action, int value, Caller caller);

    // Prompter operations shared by the handlers.
    void rebuildPage();
    void applySpeed();
    void pause();
    void rewindAndPause();
    void updateElapsed();
    void updateRemaining();
    void dockToScreenEdge();
    void dockWithOuterHeight(int outerHeight);
    // What the window manager's frame adds on each side; none before it frames the window.
    QMargins frameMargins() const;
    void showButtonPicture(int index, PictureButton *image);
    // Reads a script by the read rule and shows it; throws before changing anything.
    void loadScript(const QString &path);
    // Shows the queue item at m_queuePosition, paused, with the focus on the page.
    void showQueueItem(const QStringList &items);
    int pixelsPerInch() const;

    // Event handlers.
    // The ticks due since the last frame, applied as one move.
    void onScrollTick(int ticks);
    void onSpeedSliderChanged();
    void onStepSliderChanged();
    void onPageLoaded();
    void onPageKey(int key, Qt::KeyboardModifiers shift);
    void onPagePress(Qt::MouseButton button);
    void onShown();
    // Paces the scroll clock by the refresh rate of the screen the band is on.
    void followScreenRate();
    void followRateOf(QScreen *screen);
    // Docks the band again on the primary screen whenever screens come, go or move.
    void followScreenChanges();
    void redockSoon();
    void onClosing();

    // The status strip's buttons and the menu's Show Status Bar.
    void startRepeat(int direction);
    void onRepeatTick();
    void stepCoarse(int delta);
    void togglePause();
    void toggleStatusStrip();
    // Flips the page for a prompter glass as the two mirror items say.
    void applyMirror();
    // Switches the view between the script page and the online help page.
    void toggleHelp();
    void onProbeFinished(bool connected);

    // Following the speaker's voice. Every speed or pause control calls stopFollowing() first;
    // a pause control that ended following leaves the page still (stopFollowing() is true).
    void createVoiceFollowing();
    void createVoiceFollower();
    void toggleFollowing();
    bool stopFollowing();
    // The page's text, for the voice to follow.
    QString followedText();
    void followNewPage();
    void onSpokenWord(qint64 word);
    void onFollowFrame();

    // Runs a handler; an error that escapes it reaches the operator.
    void guarded(const std::function<void()> &handler);
    void showError(const std::exception &error);

    int m_currentSpeed = 0;
    bool m_scrollForward = false;
    bool m_helpShown = false;
    // The page a help press found; the probe's answer is for that page only.
    quint64 m_helpPressedOnPage = 0;
    QString m_scriptTitle;
    // The script is only the beginning of its file: the text ends at a NUL.
    bool m_scriptEndsAtNul = false;
    int m_queuePosition = 0;
    int m_documentLength = 0;
    int m_repeatDirection = 0;
    QStringList m_scriptLines;
    QStringList m_pageLines;

    // Controls; each carries its member name as its object name.
    QFrame *statusStrip = nullptr;
    QFrame *stripRows = nullptr;
    QFrame *statusRow = nullptr;
    QLabel *speedLabel = nullptr;
    QLabel *stepLabel = nullptr;
    QLabel *scriptLabel = nullptr;
    QLabel *versionLabel = nullptr;
    QLabel *elapsedLabel = nullptr;
    QLabel *remainingLabel = nullptr;
    PictureButton *fasterButton = nullptr;
    PictureButton *slowerButton = nullptr;
    PictureButton *coarseFasterButton = nullptr;
    PictureButton *coarseSlowerButton = nullptr;
    PictureButton *pauseButton = nullptr;
    PictureButton *reverseButton = nullptr;
    PictureButton *resetButton = nullptr;
    PictureButton *previousButton = nullptr;
    PictureButton *nextButton = nullptr;
    QLabel *separatorLabel = nullptr;
    PictureButton *helpButton = nullptr;
    QLabel *helpLine = nullptr;
    QFrame *bandArea = nullptr;
    QFrame *logoPanel = nullptr;
    QLabel *logo = nullptr;
    QLabel *menuHint = nullptr;
    QFrame *viewArea = nullptr;
    QFrame *sliderColumn = nullptr;
    QLabel *speedCaption = nullptr;
    IncrementSlider *speedSlider = nullptr;
    QLabel *stepCaption = nullptr;
    IncrementSlider *stepSlider = nullptr;
    QFrame *pageFrame = nullptr;
    HtmlView *page = nullptr;
    ScrollClock *scrollTimer = nullptr;
    PromptTimer *repeatTimer = nullptr;
    ConnectionProbe *connectionProbe = nullptr;
    QMenu *logoMenu = nullptr;
    QAction *openAction = nullptr;
    QAction *fontAction = nullptr;
    QAction *optionsAction = nullptr;
    QAction *quickEditAction = nullptr;
    QAction *printAction = nullptr;
    QAction *statusStripAction = nullptr;
    QAction *aboutAction = nullptr;
    QAction *remoteAction = nullptr;
    QAction *followVoiceAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *mirrorLeftToRightAction = nullptr;
    QAction *mirrorTopToBottomAction = nullptr;
    TalentScreen *talentScreen = nullptr;
    QList<QPixmap> m_buttonPictures;
    QList<QPixmap> m_logoPictures;
    FontRecord m_promptFont;
    FileDialogState m_openState;
    // The frame margins the window was last docked with.
    std::optional<QMargins> m_dockedMargins;
    int m_dockedOuterHeight = 0;
    bool m_followsScreen = false;
    QMetaObject::Connection m_screenRate;
    bool m_followsScreenChanges = false;
    bool m_redockPending = false;

    QuickEditDialog *m_quickEdit = nullptr;
    OptionsDialog *m_options = nullptr;
    AboutDialog *m_about = nullptr;
    RemoteWindow *m_remote = nullptr;

    Dialogs &m_dialogs;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<WindowSettings> m_settings;
    std::unique_ptr<QStyle> m_menuStyle;
    std::unique_ptr<voice::VoiceFollower> m_voice;
    std::unique_ptr<FollowMotion> m_followMotion;
    std::unique_ptr<WordLayout> m_wordLayout;
    QElapsedTimer m_followClock;
    QString m_followedScript;
    bool m_following = false;
};
