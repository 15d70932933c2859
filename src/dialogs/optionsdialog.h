#pragma once

#include "dialogs.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class ClickLabel;
class PictureButton;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class RadioGroup;
class RegistryStore;
class WindowSettings;

// The options and queue window: the queue of scripts and the two display options.
class TForm4 final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm4)

public:
    explicit TForm4(Dialogs &dialogs, QWidget *parent = nullptr);
    ~TForm4() override;

    QStringList queueItems() const;
    // Replaces the queue; afterwards no item is selected.
    void setQueueItems(const QStringList &items);
    // The selected item's index, or -1.
    int selectedIndex() const;
    bool capitalize() const;
    bool alignBottom() const;

    // The options as they were when the window opened, put back on Cancel
    // before the window's values are stored.
    void beginShowing(int placement, int capitals);

    void Image3MouseUp();
    void Image2MouseUp();
    void Image5MouseUp();
    void Image4MouseUp();

    QFrame *Panel4 = nullptr;
    QListWidget *ListBox1 = nullptr;
    PictureButton *Image6 = nullptr;
    PictureButton *Image2 = nullptr;
    PictureButton *Image5 = nullptr;
    PictureButton *Image4 = nullptr;
    ClickLabel *addlabel = nullptr;
    ClickLabel *removelabel = nullptr;
    ClickLabel *savelabel = nullptr;
    ClickLabel *loadlabel = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    RadioGroup *mainformlocation = nullptr;
    RadioGroup *allcaps = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    FileDialogState OpenDialog1;
    FileDialogState SaveDialog1;

    void done(int result) override;
    // Runs a handler; an error that escapes it reaches the operator.
    void guarded(const std::function<void()> &handler);

private:
    void createControls();
    void FormCreate();
    void FormClose();

    Dialogs &m_dialogs;
    int m_shownPlacement = 0;
    int m_shownCapitals = 0;
    std::unique_ptr<RegistryStore> JvAppRegistryStorage1;
    std::unique_ptr<WindowSettings> JvFormStorage1;
};
