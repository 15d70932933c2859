#include "optionsdialog.h"

#include "application.h"
#include "artwork.h"
#include "colours.h"
#include "picturebutton.h"
#include "queuefile.h"
#include "radiogroup.h"
#include "registrystore.h"
#include "scriptreader.h"
#include "texts.h"
#include "windowsettings.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace texts;

namespace {

// Names in the settings store, not role names: existing settings files rely on them.
const QString kStoreRoot = QStringLiteral("Software\\Morvane\\tavrix");
const QString kStoreSection = QStringLiteral("Form4");
const QString kCapitalsValue = QStringLiteral("allcaps_ItemIndex");
const QString kPlacementValue = QStringLiteral("mainformlocation_ItemIndex");

// Captions only: the radio buttons' dots keep the style's own colours.
void whiteText(QWidget *w)
{
    setTextColour(w, Qt::white);
}

} // namespace

OptionsDialog::OptionsDialog(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(rsOptionsCaption);
    setModal(true);
    fillBackground(this, Qt::black);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    resize(498, 237);
    createControls();
    m_store = std::make_unique<RegistryStore>(kStoreRoot);
    m_settings = std::make_unique<WindowSettings>(
        this, kStoreSection, *m_store,
        WindowSettings::RememberState | WindowSettings::RememberSize |
            WindowSettings::RememberPosition,
        [this](const std::exception &error) { reportError(m_dialogs, this, error); });
    m_settings->addInteger(
        kCapitalsValue, [this] { return capitalsGroup->itemIndex(); },
        [this](int index) { capitalsGroup->setItemIndex(index); });
    m_settings->addInteger(
        kPlacementValue, [this] { return placementGroup->itemIndex(); },
        [this](int index) { placementGroup->setItemIndex(index); });
    initialise();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::createControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto *header = new QFrame(this);
    header->setObjectName(QStringLiteral("header"));
    header->setFixedHeight(41);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(3, 3, 3, 3);
    auto *logo = new QLabel(header);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(makeDialogLogo());
    logo->setFixedSize(153, 35);
    headerRow->addWidget(logo);
    headerRow->addStretch(1);
    root->addWidget(header);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    root->addLayout(body, 1);

    auto *queueArea = new QFrame(this);
    queueArea->setObjectName(QStringLiteral("queueArea"));
    queueArea->setFixedWidth(321);
    auto *queueColumn = new QVBoxLayout(queueArea);
    queueColumn->setContentsMargins(0, 0, 0, 0);
    queueColumn->setSpacing(0);
    queueCaptionPanel = new QFrame(queueArea);
    queueCaptionPanel->setObjectName(QStringLiteral("queueCaptionPanel"));
    queueCaptionPanel->setFixedHeight(16);
    auto *caption = new QLabel(queueCaptionPanel);
    whiteText(caption);
    caption->setObjectName(QStringLiteral("queueCaption"));
    auto *captionRow = new QHBoxLayout(queueCaptionPanel);
    captionRow->setContentsMargins(3, 0, 0, 0);
    captionRow->addWidget(caption);
    queueColumn->addWidget(queueCaptionPanel);

    auto *queueRow = new QHBoxLayout;
    queueRow->setContentsMargins(3, 0, 3, 3);
    queueList = new QListWidget(queueArea);
    queueList->setObjectName(QStringLiteral("queueList"));
    queueList->setFixedWidth(201);
    queueList->setSelectionMode(QAbstractItemView::SingleSelection);
    queueList->setStyleSheet(QStringLiteral("QListWidget { background: #000000; color: #FFFFFF; }"
                                            "QListWidget::item { height: 13px; }"));
    queueRow->addWidget(queueList);

    auto *actions = new QGridLayout;
    actions->setContentsMargins(6, 0, 0, 0);
    actions->setVerticalSpacing(6);
    const QList<QPixmap> icons = makeDialogIcons();
    const auto row = [&](int r, const char *iconName, PictureButton *&icon, const char *textName,
                         ClickLabel *&text) {
        icon = new PictureButton(queueArea);
        icon->setObjectName(QLatin1String(iconName));
        icon->setFixedSize(28, 21);
        icon->setPixmap(icons.value(r));
        text = new ClickLabel(queueArea);
        text->setObjectName(QLatin1String(textName));
        whiteText(text);
        actions->addWidget(icon, r, 0);
        actions->addWidget(text, r, 1);
        actions->setRowMinimumHeight(r, 27);
    };
    row(0, "addIcon", addIcon, "addLabel", addLabel);
    row(1, "removeIcon", removeIcon, "removeLabel", removeLabel);
    row(2, "loadIcon", loadIcon, "loadLabel", loadLabel);
    row(3, "saveIcon", saveIcon, "saveLabel", saveLabel);
    actions->setRowStretch(4, 1);
    queueRow->addLayout(actions, 1);
    queueColumn->addLayout(queueRow, 1);
    body->addWidget(queueArea);

    auto *options = new QVBoxLayout;
    options->setContentsMargins(6, 0, 6, 6);
    placementCaption = new QLabel(this);
    placementCaption->setObjectName(QStringLiteral("placementCaption"));
    whiteText(placementCaption);
    placementGroup = new RadioGroup(this);
    placementGroup->setObjectName(QStringLiteral("placementGroup"));
    placementGroup->setFixedHeight(51);
    whiteText(placementGroup);
    capitalsCaption = new QLabel(this);
    capitalsCaption->setObjectName(QStringLiteral("capitalsCaption"));
    whiteText(capitalsCaption);
    capitalsGroup = new RadioGroup(this);
    capitalsGroup->setObjectName(QStringLiteral("capitalsGroup"));
    capitalsGroup->setFixedHeight(51);
    whiteText(capitalsGroup);
    options->addWidget(placementCaption);
    options->addWidget(placementGroup);
    options->addWidget(capitalsCaption);
    options->addWidget(capitalsGroup);
    options->addStretch(1);
    auto *buttons = new QHBoxLayout;
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton *b : {okButton, cancelButton}) {
        b->setFixedSize(75, 29);
        buttons->addWidget(b);
    }
    options->addLayout(buttons);
    body->addLayout(options, 1);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    const auto onRelease = [this](auto *control, void (OptionsDialog::*handler)()) {
        connect(control, &std::remove_pointer_t<decltype(control)>::mouseUp, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onRelease(addIcon, &OptionsDialog::addScript);
    onRelease(addLabel, &OptionsDialog::addScript);
    onRelease(removeIcon, &OptionsDialog::removeScript);
    onRelease(removeLabel, &OptionsDialog::removeScript);
    onRelease(loadIcon, &OptionsDialog::loadQueue);
    onRelease(loadLabel, &OptionsDialog::loadQueue);
    onRelease(saveIcon, &OptionsDialog::saveQueue);
    onRelease(saveLabel, &OptionsDialog::saveQueue);
}

void OptionsDialog::initialise()
{
    findChild<QLabel *>(QStringLiteral("queueCaption"))->setText(rsQueue);
    placementCaption->setText(rsPlacement);
    placementGroup->setItems({rsAlignTop, rsAlignBottom});
    placementGroup->setItemIndex(0);
    capitalsCaption->setText(rsCapitalize);
    capitalsGroup->setItems({rsNo, rsYes});
    capitalsGroup->setItemIndex(0);
    okButton->setText(rsOk);
    cancelButton->setText(rsCancel);
    addLabel->setText(rsAddScript);
    removeLabel->setText(rsRemoveScript);
    saveLabel->setText(rsSaveQueue);
    loadLabel->setText(rsLoadQueue);
    guarded([this] { m_settings->restore(); });
    if (m_settings->placementApplied())
        return;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

void OptionsDialog::guarded(const std::function<void()> &handler)
{
    runReported(handler,
                [this](const std::exception &error) { reportError(m_dialogs, this, error); });
}

QStringList OptionsDialog::queueItems() const
{
    QStringList items;
    items.reserve(queueList->count());
    for (int i = 0; i < queueList->count(); ++i)
        items.append(queueList->item(i)->text());
    return items;
}

void OptionsDialog::setQueueItems(const QStringList &items)
{
    queueList->clear();
    queueList->addItems(items);
    queueList->clearSelection();
    queueList->setCurrentRow(-1);
}

void OptionsDialog::clearQueue()
{
    queueList->clear();
}

int OptionsDialog::selectedIndex() const
{
    const auto selected = queueList->selectedItems();
    return selected.isEmpty() ? -1 : queueList->row(selected.constFirst());
}

bool OptionsDialog::capitalize() const
{
    return capitalsGroup->itemIndex() == 1;
}

bool OptionsDialog::alignBottom() const
{
    return placementGroup->itemIndex() != 0;
}

int OptionsDialog::placementIndex() const
{
    return placementGroup->itemIndex();
}

int OptionsDialog::capitalsIndex() const
{
    return capitalsGroup->itemIndex();
}

void OptionsDialog::beginShowing()
{
    m_shownPlacement = placementGroup->itemIndex();
    m_shownCapitals = capitalsGroup->itemIndex();
}

void OptionsDialog::done(int result)
{
    if (result != QDialog::Accepted) {
        placementGroup->setItemIndex(m_shownPlacement);
        capitalsGroup->setItemIndex(m_shownCapitals);
    }
    QDialog::done(result);
    guarded([this] { onClosing(); });
}

void OptionsDialog::onClosing()
{
    m_settings->save();
}

void OptionsDialog::addScript()
{
    m_openState.filter = rsScriptFilter;
    if (!m_dialogs.openFile(this, m_openState))
        return;
    // Only whether it opens: the script is read when its turn comes.
    checkScriptOpens(m_openState.fileName);
    queueList->addItem(m_openState.fileName);
}

void OptionsDialog::removeScript()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    delete queueList->takeItem(index);
    // The list would select the next item, and the next click would remove it too.
    queueList->clearSelection();
    queueList->setCurrentRow(-1);
}

void OptionsDialog::loadQueue()
{
    m_openState.filter = rsQueueFilter;
    if (!m_dialogs.openFile(this, m_openState))
        return;
    setQueueItems(readQueueFile(m_openState.fileName));
}

void OptionsDialog::saveQueue()
{
    if (queueList->count() == 0) {
        m_dialogs.message(this, rsNothingToSave);
        return;
    }
    m_saveState.filter = rsQueueFilter;
    m_saveState.defaultExt = rsQueueExtension;
    if (!m_dialogs.saveFile(this, m_saveState))
        return;
    writeQueueFile(m_saveState.fileName, queueItems());
}
