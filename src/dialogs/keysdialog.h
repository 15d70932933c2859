#pragma once

#include "keymap.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class KeyCaptureField;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "Keys and Devices": which key does what, press a key to bind it, the device
// presets in one click, the speed presets, and the keys for the whole desktop.
// It edits a copy of the map; OK hands it back through applied().
class KeysDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeysDialog)

public:
    // Takes the operator's bound keys for the whole desktop, or says why not.
    using DesktopGrab = std::function<std::optional<QString>(const QList<KeyChord> &)>;

    explicit KeysDialog(QWidget *parent = nullptr);

    void setKeyMap(const KeyMap &map);
    KeyMap keyMap() const { return m_map; }
    void setDesktopWide(bool on);
    bool desktopWide() const;
    // Where keys cannot be taken for the whole desktop (native Wayland), the
    // option is off and greyed, and the window says why. `grab` runs on OK.
    void setDesktopWideSupport(bool supported, DesktopGrab grab);

    void done(int result) override;

Q_SIGNALS:
    void applied(const KeyMap &map, bool desktopWide);

private:
    void createControls();
    void refresh();
    void startCapture();
    void stopCapture();
    void onCaptured(int key, Qt::KeyboardModifiers modifiers);
    void bindPending();
    void removeSelected();
    void restoreDefaults();
    void addPreset(KeyPreset preset);
    void say(const QString &text);
    std::optional<KeyChord> selectedChord() const;
    KeyBinding chosenBinding() const;

    KeyMap m_map;
    std::optional<KeyChord> m_pending;
    DesktopGrab m_grab;

    // Controls; each carries its member name as its object name.
    QTableWidget *bindingTable = nullptr;
    QComboBox *actionBox = nullptr;
    QPushButton *bindButton = nullptr;
    KeyCaptureField *keyField = nullptr;
    QPushButton *replaceButton = nullptr;
    QPushButton *removeButton = nullptr;
    QPushButton *defaultsButton = nullptr;
    std::array<QSpinBox *, KeyMap::kSpeedPresetCount> speedPresetBoxes{};
    QCheckBox *desktopWideBox = nullptr;
    QLabel *desktopWideNote = nullptr;
    QLabel *messageLabel = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;
};
