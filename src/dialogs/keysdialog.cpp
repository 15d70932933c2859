#include "keysdialog.h"

#include "keycapturefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kChordRole = Qt::UserRole;
constexpr int kSpeedLimit = 300;

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The preset's name with a mnemonic of its own: clickers and scripts reach the buttons by Alt.
QString presetButtonText(KeyPreset preset)
{
    switch (preset) {
    case KeyPreset::PresenterClicker:
        return KeysDialog::tr("&Presenter clicker");
    case KeyPreset::FootPedalLetters:
        return KeysDialog::tr("Foot pedal &a/b/c");
    case KeyPreset::FootPedalFunction:
        return KeysDialog::tr("Foot pedal F1&4-F16");
    case KeyPreset::NumberKeys:
        return KeysDialog::tr("&Number keys: speed presets");
    case KeyPreset::Markers:
        return KeysDialog::tr("Mar&kers");
    }
    return {};
}

QString presetObjectName(KeyPreset preset)
{
    switch (preset) {
    case KeyPreset::PresenterClicker:
        return QStringLiteral("clickerPresetButton");
    case KeyPreset::FootPedalLetters:
        return QStringLiteral("pedalLettersPresetButton");
    case KeyPreset::FootPedalFunction:
        return QStringLiteral("pedalFunctionPresetButton");
    case KeyPreset::NumberKeys:
        return QStringLiteral("numberKeysPresetButton");
    case KeyPreset::Markers:
        return QStringLiteral("markersPresetButton");
    }
    return {};
}

} // namespace

KeysDialog::KeysDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keysDialog"));
    setWindowTitle(tr("Keys and Devices"));
    createControls();
    setDesktopWideSupport(false, {});
    refresh();
}

void KeysDialog::createControls()
{
    auto *layout = new QVBoxLayout(this);

    bindingTable = named(new QTableWidget(0, 3, this), "bindingTable");
    bindingTable->setHorizontalHeaderLabels({tr("Key"), tr("Does"), tr("Set by")});
    bindingTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    bindingTable->setSelectionMode(QAbstractItemView::SingleSelection);
    bindingTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bindingTable->verticalHeader()->hide();
    bindingTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(bindingTable, 1);

    auto *bindRow = new QHBoxLayout;
    actionBox = named(new QComboBox(this), "actionBox");
    bindButton = named(new QPushButton(tr("&Bind a Key..."), this), "bindButton");
    bindButton->setAutoDefault(false);
    keyField = named(new KeyCaptureField(this), "keyField");
    keyField->setMinimumWidth(160);
    replaceButton = named(new QPushButton(tr("&Replace"), this), "replaceButton");
    replaceButton->setAutoDefault(false);
    replaceButton->setEnabled(false);
    removeButton = named(new QPushButton(tr("Re&move"), this), "removeButton");
    removeButton->setAutoDefault(false);
    bindRow->addWidget(actionBox, 1);
    bindRow->addWidget(bindButton);
    bindRow->addWidget(keyField);
    bindRow->addWidget(replaceButton);
    bindRow->addWidget(removeButton);
    layout->addLayout(bindRow);

    auto *devices = new QGroupBox(tr("Add the keys of a device"), this);
    auto *deviceRow = new QHBoxLayout(devices);
    for (const KeyPreset preset : allKeyPresets()) {
        auto *button = new QPushButton(presetButtonText(preset), devices);
        button->setObjectName(presetObjectName(preset));
        button->setAutoDefault(false);
        deviceRow->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, preset] { addPreset(preset); });
    }
    layout->addWidget(devices);

    auto *speeds = new QGroupBox(tr("Speed presets"), this);
    auto *speedGrid = new QGridLayout(speeds);
    for (int n = 1; n <= KeyMap::kSpeedPresetCount; ++n) {
        auto *box = new QSpinBox(speeds);
        box->setObjectName(QStringLiteral("speedPreset%1Box").arg(n));
        box->setRange(-kSpeedLimit, kSpeedLimit);
        box->setSingleStep(10);
        speedPresetBoxes.at(std::size_t(n - 1)) = box;
        speedGrid->addWidget(new QLabel(QString::number(n), speeds), 0, n - 1, Qt::AlignCenter);
        speedGrid->addWidget(box, 1, n - 1);
        connect(box, &QSpinBox::valueChanged, this, [this, n](int speed) {
            m_map.setSpeedPreset(n, speed);
            refresh();
        });
    }
    layout->addWidget(speeds);

    desktopWideBox = named(new QCheckBox(tr("Bound keys work while another program has the "
                                            "focus (&whole desktop)"),
                                         this),
                           "desktopWideBox");
    layout->addWidget(desktopWideBox);
    desktopWideNote = named(new QLabel(this), "desktopWideNote");
    desktopWideNote->setWordWrap(true);
    desktopWideNote->setTextFormat(Qt::PlainText);
    layout->addWidget(desktopWideNote);

    messageLabel = named(new QLabel(this), "messageLabel");
    messageLabel->setWordWrap(true);
    messageLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(messageLabel);

    auto *buttons = new QHBoxLayout;
    defaultsButton = named(new QPushButton(tr("Restore &Defaults"), this), "defaultsButton");
    defaultsButton->setAutoDefault(false);
    okButton = named(new QPushButton(tr("OK"), this), "okButton");
    okButton->setDefault(true);
    cancelButton = named(new QPushButton(tr("Cancel"), this), "cancelButton");
    cancelButton->setAutoDefault(false);
    buttons->addWidget(defaultsButton);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    connect(bindButton, &QPushButton::clicked, this, &KeysDialog::startCapture);
    connect(keyField, &KeyCaptureField::captured, this, &KeysDialog::onCaptured);
    connect(replaceButton, &QPushButton::clicked, this, &KeysDialog::bindPending);
    connect(removeButton, &QPushButton::clicked, this, &KeysDialog::removeSelected);
    connect(defaultsButton, &QPushButton::clicked, this, &KeysDialog::restoreDefaults);
    connect(bindingTable, &QTableWidget::itemSelectionChanged, this,
            [this] { removeButton->setEnabled(selectedChord().has_value()); });
    connect(actionBox, &QComboBox::currentIndexChanged, this, [this] { stopCapture(); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void KeysDialog::setKeyMap(const KeyMap &map)
{
    m_map = map;
    stopCapture();
    say({});
    refresh();
}

void KeysDialog::setDesktopWide(bool on)
{
    desktopWideBox->setChecked(on && desktopWideBox->isEnabled());
}

bool KeysDialog::desktopWide() const
{
    return desktopWideBox->isChecked();
}

void KeysDialog::setDesktopWideSupport(bool supported, DesktopGrab grab)
{
    m_grab = std::move(grab);
    desktopWideBox->setEnabled(supported);
    if (!supported)
        desktopWideBox->setChecked(false);
    desktopWideNote->setText(
        supported
            ? tr("Only the keys you bound are taken, never W, S, Q, E, F, A or D. A key taken "
                 "for the whole desktop no longer reaches any other program. This works on X11; "
                 "on a Wayland desktop, through XWayland, only while an X11 program has the "
                 "focus.")
            : tr("Not available here: Tavrix runs natively on Wayland (or without X11), where "
                 "a program cannot take keys for the whole desktop. Keys work while the band "
                 "has the focus."));
}

void KeysDialog::refresh()
{
    const int chosen = actionBox->currentIndex();
    const QList<KeyBinding> offered = KeyBinding::offered();
    QSignalBlocker blockActions(actionBox);
    actionBox->clear();
    for (const KeyBinding &binding : offered)
        actionBox->addItem(binding.label(m_map.speedPreset(binding.value)));
    actionBox->setCurrentIndex(chosen < 0 ? 0 : chosen);

    for (int n = 1; n <= KeyMap::kSpeedPresetCount; ++n) {
        QSpinBox *box = speedPresetBoxes.at(std::size_t(n - 1));
        QSignalBlocker blockSpeed(box);
        box->setValue(m_map.speedPreset(n));
    }

    const std::optional<KeyChord> selected = selectedChord();
    const auto shown = m_map.effective();
    bindingTable->setRowCount(int(shown.size()));
    int row = 0;
    for (const auto &[chord, meaning] : shown) {
        const KeyBinding &binding = *meaning.binding;
        const bool own = meaning.source == KeyMap::Source::Operator;
        auto *key = new QTableWidgetItem(chord.displayName());
        key->setData(kChordRole, own ? chord.portableName() : QString());
        bindingTable->setItem(row, 0, key);
        const int preset =
            binding.kind == KeyBinding::Kind::SpeedPreset ? m_map.speedPreset(binding.value) : 0;
        bindingTable->setItem(row, 1, new QTableWidgetItem(binding.label(preset)));
        bindingTable->setItem(row, 2, new QTableWidgetItem(own ? tr("You") : tr("Built in")));
        if (own && selected && *selected == chord)
            bindingTable->selectRow(row);
        ++row;
    }
    bindingTable->resizeColumnToContents(0);
    removeButton->setEnabled(selectedChord().has_value());
}

std::optional<KeyChord> KeysDialog::selectedChord() const
{
    const QList<QTableWidgetItem *> items = bindingTable->selectedItems();
    for (const QTableWidgetItem *item : items)
        if (item->column() == 0)
            return KeyChord::fromPortableName(item->data(kChordRole).toString());
    return std::nullopt;
}

KeyBinding KeysDialog::chosenBinding() const
{
    const QList<KeyBinding> offered = KeyBinding::offered();
    return offered.value(std::max(0, actionBox->currentIndex()), offered.first());
}

void KeysDialog::startCapture()
{
    m_pending.reset();
    replaceButton->setEnabled(false);
    keyField->setText(tr("Press a key..."));
    keyField->setFocus(Qt::OtherFocusReason);
    say(tr("Press the key for %1.").arg(actionBox->currentText()));
}

void KeysDialog::stopCapture()
{
    m_pending.reset();
    replaceButton->setEnabled(false);
    keyField->clear();
}

void KeysDialog::onCaptured(int key, Qt::KeyboardModifiers modifiers)
{
    // Ctrl of Ctrl+1 arrives first; the chord comes with the digit.
    if (KeyChord::isModifierKey(key))
        return;
    const auto chord = KeyChord::make(key, modifiers);
    if (!chord) {
        say(tr("That key has no name of its own, so it cannot be bound."));
        return;
    }
    m_pending = chord;
    keyField->setText(chord->displayName());
    if (const auto clash = m_map.conflict(*chord, chosenBinding())) {
        replaceButton->setEnabled(true);
        say(*clash + u' ' + tr("Replace binds it to %1 instead.").arg(actionBox->currentText()));
        return;
    }
    bindPending();
}

void KeysDialog::bindPending()
{
    if (!m_pending)
        return;
    const KeyChord chord = *m_pending;
    const KeyBinding binding = chosenBinding();
    m_pending.reset();
    replaceButton->setEnabled(false);
    if (!m_map.bind(chord, binding)) {
        say(tr("%1 keys are bound already; remove some first.").arg(KeyMap::kMaxBindings));
        return;
    }
    refresh();
    say(tr("%1 now: %2.").arg(chord.displayName(), actionBox->currentText()));
}

void KeysDialog::removeSelected()
{
    const auto chord = selectedChord();
    if (!chord || !m_map.unbind(*chord))
        return;
    refresh();
    const KeyMap::Meaning now = m_map.meaning(*chord);
    say(now.binding ? tr("%1 is back to %2.").arg(chord->displayName(), now.binding->label())
                    : tr("%1 is no longer bound.").arg(chord->displayName()));
}

void KeysDialog::restoreDefaults()
{
    m_map.restoreDefaults();
    stopCapture();
    refresh();
    say(tr("Only the built-in keys are bound, and the speed presets are 30 to 270."));
}

void KeysDialog::addPreset(KeyPreset preset)
{
    stopCapture();
    const QStringList taken = m_map.addPreset(preset);
    refresh();
    QString text = tr("%1: added.").arg(keyPresetName(preset));
    if (!taken.isEmpty())
        text += u' ' + taken.join(u' ');
    say(text);
}

void KeysDialog::say(const QString &text)
{
    messageLabel->setText(text);
}

void KeysDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        if (desktopWide() && m_grab) {
            QList<KeyChord> chords;
            for (const auto &[chord, binding] : m_map.bindings())
                chords.append(chord);
            if (const auto problem = m_grab(chords)) {
                // The option stays off; OK again keeps the keys without it.
                desktopWideBox->setChecked(false);
                say(*problem);
                return;
            }
        }
        Q_EMIT applied(m_map, desktopWide());
    }
    stopCapture();
    QDialog::done(result);
}
