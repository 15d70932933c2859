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
class OptionsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsDialog)

public:
    explicit OptionsDialog(Dialogs &dialogs, QWidget *parent = nullptr);
    ~OptionsDialog() override;

    QStringList queueItems() const;
    // Replaces the queue; afterwards no item is selected.
    void setQueueItems(const QStringList &items);
    // Empties the queue, as the program's end does.
    void clearQueue();
    // The selected item's index, or -1.
    int selectedIndex() const;
    bool capitalize() const;
    bool alignBottom() const;
    // The chosen radio button of each option, 0 or 1; -1 when none is.
    int placementIndex() const;
    int capitalsIndex() const;

    // Remembers both options as they are now, to put them back on Cancel
    // before the window's values are stored.
    void beginShowing();

    void done(int result) override;

private:
    void createControls();
    void initialise();
    void onClosing();
    // Runs a handler; an error that escapes it reaches the operator.
    void guarded(const std::function<void()> &handler);

    // The queue's commands, run by a release on their icons and labels.
    void addScript();
    void removeScript();
    void loadQueue();
    void saveQueue();

    // Controls; each carries its member name as its object name.
    QFrame *queueCaptionPanel = nullptr;
    QListWidget *queueList = nullptr;
    PictureButton *addIcon = nullptr;
    PictureButton *removeIcon = nullptr;
    PictureButton *loadIcon = nullptr;
    PictureButton *saveIcon = nullptr;
    ClickLabel *addLabel = nullptr;
    ClickLabel *removeLabel = nullptr;
    ClickLabel *loadLabel = nullptr;
    ClickLabel *saveLabel = nullptr;
    QLabel *capitalsCaption = nullptr;
    QLabel *placementCaption = nullptr;
    RadioGroup *placementGroup = nullptr;
    RadioGroup *capitalsGroup = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;
    FileDialogState m_openState;
    FileDialogState m_saveState;

    Dialogs &m_dialogs;
    int m_shownPlacement = 0;
    int m_shownCapitals = 0;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<WindowSettings> m_settings;
};
