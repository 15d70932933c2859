#pragma once

#include "dialogs.h"
#include "fontrecord.h"

#include <QStringList>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>

class HtmlView;
class PictureButton;
class PromptTimer;
class QFrame;
class QLabel;
class QMenu;
class QAction;
class QSlider;
class TForm2;
class TForm4;
class Taboutform;
class RegistryStore;
class WindowSettings;

// The prompter: a black band with the logo panel at the left, the page in
// the middle, the slider column at the right and the status strip below.
class TForm1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    explicit TForm1(Dialogs &dialogs, QWidget *parent = nullptr);
    ~TForm1() override;

    // The dialogs exist only after the main window; program entry hands them over.
    void setDialogs(TForm2 *form2, TForm4 *form4, Taboutform *about);

    // Prompter operations shared by the handlers.
    void reloadwb();
    void adjustspeed();
    void dopause();
    void doreset();
    void calctime(const QString &selector);
    void prevscript();
    void nextscript();
    void setform();
    void mouseover(int index, PictureButton *image);

    // Event handlers.
    void Timer1Timer();
    void slideraChange();
    void speedmodChanged();
    void wb1DocumentComplete();
    void wb1KeyDown(int key, Qt::KeyboardModifiers shift);
    void wb1Click(Qt::MouseButton button);
    void OpenSimplescript1Click();
    void Options2Click();
    void ApplicationEvents1Exception(const std::exception &error);

    // Shared prompter state.
    int CurrentSpeed = 0;
    bool ScrollForward = false;
    bool HelpShown = false;
    QString ScriptTitle;
    int QueuePosition = 0;
    int DocumentLength = 0;
    int RepeatDirection = 0;
    QStringList ScriptLines;
    QStringList PageLines;

    // Controls, named as the rest of the program refers to them.
    QFrame *statusbar = nullptr;
    QFrame *Panel5 = nullptr;
    QFrame *Panel6 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *coarselabel = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *timespentlabel = nullptr;
    QLabel *timeleftlabel = nullptr;
    PictureButton *Image4 = nullptr;
    PictureButton *Image12 = nullptr;
    PictureButton *Image10 = nullptr;
    PictureButton *Image11 = nullptr;
    PictureButton *Image9 = nullptr;
    PictureButton *Image8 = nullptr;
    PictureButton *Image7 = nullptr;
    PictureButton *Image6 = nullptr;
    PictureButton *Image5 = nullptr;
    QLabel *Label7 = nullptr;
    PictureButton *Image13 = nullptr;
    QLabel *Label5 = nullptr;
    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *wbpanel = nullptr;
    QFrame *Panel3 = nullptr;
    QLabel *Label12 = nullptr;
    QSlider *slidera = nullptr;
    QLabel *Label11 = nullptr;
    QSlider *speedmod = nullptr;
    QFrame *Panel4 = nullptr;
    HtmlView *wb1 = nullptr;
    PromptTimer *Timer1 = nullptr;
    PromptTimer *mousedowntimer = nullptr;
    QMenu *JvPopupMenu1 = nullptr;
    QAction *OpenSimplescript1 = nullptr;
    QAction *Font2 = nullptr;
    QAction *Options2 = nullptr;
    QAction *EditScript2 = nullptr;
    QAction *PrintScript2 = nullptr;
    QAction *Showstatusbar1 = nullptr;
    QAction *About1 = nullptr;
    QList<QPixmap> ImageList1;
    QList<QPixmap> ImageList2;
    FontRecord FontDialog1Font;
    FileDialogState OpenDialog1;

    TForm2 *Form2 = nullptr;
    TForm4 *Form4 = nullptr;
    Taboutform *aboutform = nullptr;

    // Runs a handler; an error that escapes it reaches the operator.
    void guarded(const std::function<void()> &handler);
    int pixelsPerInch() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenu();
    void createSettings();
    void assignTexts();
    void connectHandlers();
    // Reads a script by the read rule and shows it; throws before changing anything.
    void loadScript(const QString &path);
    // Shows the queue item at QueuePosition, paused, with the focus on the page.
    void showQueueItem(const QStringList &items);
    void FormCreate();
    void FormShow();
    void FormClose();

    Dialogs &m_dialogs;
    std::unique_ptr<RegistryStore> JvAppRegistryStorage1;
    std::unique_ptr<WindowSettings> JvFormStorage1;
    std::unique_ptr<QStyle> m_menuStyle;
};
