#include "optionsdialog.h"

#include "application.h"
#include "artwork.h"
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

// Captions only: the radio buttons' dots keep the style's own colours.
void whiteText(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(pal);
}

} // namespace

TForm4::TForm4(Dialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(rsOptionsCaption);
    setModal(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    resize(498, 237);
    createControls();
    JvAppRegistryStorage1 =
        std::make_unique<RegistryStore>(QStringLiteral("Software\\Morvane\\tavrix"));
    JvFormStorage1 = std::make_unique<WindowSettings>(
        this, QStringLiteral("Form4"), *JvAppRegistryStorage1,
        WindowSettings::RememberState | WindowSettings::RememberSize |
            WindowSettings::RememberPosition,
        [this](const std::exception &error) { reportError(m_dialogs, this, error); });
    JvFormStorage1->addInteger(
        QStringLiteral("allcaps_ItemIndex"), [this] { return allcaps->itemIndex(); },
        [this](int index) { allcaps->setItemIndex(index); });
    JvFormStorage1->addInteger(
        QStringLiteral("mainformlocation_ItemIndex"),
        [this] { return mainformlocation->itemIndex(); },
        [this](int index) { mainformlocation->setItemIndex(index); });
    FormCreate();
}

TForm4::~TForm4() = default;

void TForm4::createControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto *header = new QFrame(this);
    header->setFixedHeight(41);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(3, 3, 3, 3);
    auto *logo = new QLabel(header);
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
    queueArea->setFixedWidth(321);
    auto *queueColumn = new QVBoxLayout(queueArea);
    queueColumn->setContentsMargins(0, 0, 0, 0);
    queueColumn->setSpacing(0);
    Panel4 = new QFrame(queueArea);
    Panel4->setFixedHeight(16);
    auto *caption = new QLabel(Panel4);
    whiteText(caption);
    caption->setObjectName(QStringLiteral("queueCaption"));
    auto *captionRow = new QHBoxLayout(Panel4);
    captionRow->setContentsMargins(3, 0, 0, 0);
    captionRow->addWidget(caption);
    queueColumn->addWidget(Panel4);

    auto *queueRow = new QHBoxLayout;
    queueRow->setContentsMargins(3, 0, 3, 3);
    ListBox1 = new QListWidget(queueArea);
    ListBox1->setFixedWidth(201);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setStyleSheet(QStringLiteral("QListWidget { background: #000000; color: #FFFFFF; }"
                                           "QListWidget::item { height: 13px; }"));
    queueRow->addWidget(ListBox1);

    auto *actions = new QGridLayout;
    actions->setContentsMargins(6, 0, 0, 0);
    actions->setVerticalSpacing(6);
    const QList<QPixmap> icons = makeDialogIcons();
    const auto row = [&](int r, PictureButton *&icon, ClickLabel *&text) {
        icon = new PictureButton(queueArea);
        icon->setFixedSize(28, 21);
        icon->setPixmap(icons.value(r));
        text = new ClickLabel(queueArea);
        whiteText(text);
        actions->addWidget(icon, r, 0);
        actions->addWidget(text, r, 1);
        actions->setRowMinimumHeight(r, 27);
    };
    row(0, Image6, addlabel);
    row(1, Image2, removelabel);
    row(2, Image5, savelabel);
    row(3, Image4, loadlabel);
    actions->setRowStretch(4, 1);
    queueRow->addLayout(actions, 1);
    queueColumn->addLayout(queueRow, 1);
    body->addWidget(queueArea);

    auto *options = new QVBoxLayout;
    options->setContentsMargins(6, 0, 6, 6);
    Label2 = new QLabel(this);
    whiteText(Label2);
    mainformlocation = new RadioGroup(this);
    mainformlocation->setFixedHeight(51);
    whiteText(mainformlocation);
    Label1 = new QLabel(this);
    whiteText(Label1);
    allcaps = new RadioGroup(this);
    allcaps->setFixedHeight(51);
    whiteText(allcaps);
    options->addWidget(Label2);
    options->addWidget(mainformlocation);
    options->addWidget(Label1);
    options->addWidget(allcaps);
    options->addStretch(1);
    auto *buttons = new QHBoxLayout;
    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    for (QPushButton *b : {Button1, Button2}) {
        b->setFixedSize(75, 29);
        buttons->addWidget(b);
    }
    options->addLayout(buttons);
    body->addLayout(options, 1);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    const auto onRelease = [this](auto *control, void (TForm4::*handler)()) {
        connect(control, &std::remove_pointer_t<decltype(control)>::mouseUp, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onRelease(Image6, &TForm4::Image3MouseUp);
    onRelease(addlabel, &TForm4::Image3MouseUp);
    onRelease(Image2, &TForm4::Image2MouseUp);
    onRelease(removelabel, &TForm4::Image2MouseUp);
    onRelease(Image5, &TForm4::Image5MouseUp);
    onRelease(savelabel, &TForm4::Image5MouseUp);
    onRelease(Image4, &TForm4::Image4MouseUp);
    onRelease(loadlabel, &TForm4::Image4MouseUp);
}

void TForm4::FormCreate()
{
    findChild<QLabel *>(QStringLiteral("queueCaption"))->setText(rsQueue);
    Label2->setText(rsPlacement);
    mainformlocation->setItems({rsAlignTop, rsAlignBottom});
    mainformlocation->setItemIndex(0);
    Label1->setText(rsCapitalize);
    allcaps->setItems({rsNo, rsYes});
    allcaps->setItemIndex(0);
    Button1->setText(rsOk);
    Button2->setText(rsCancel);
    addlabel->setText(rsAddScript);
    removelabel->setText(rsRemoveScript);
    loadlabel->setText(rsSaveQueue);
    savelabel->setText(rsLoadQueue);
    guarded([this] { JvFormStorage1->restore(); });
    if (JvFormStorage1->placementApplied())
        return;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

void TForm4::guarded(const std::function<void()> &handler)
{
    runReported(handler,
                [this](const std::exception &error) { reportError(m_dialogs, this, error); });
}

QStringList TForm4::queueItems() const
{
    QStringList items;
    items.reserve(ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i)
        items.append(ListBox1->item(i)->text());
    return items;
}

void TForm4::setQueueItems(const QStringList &items)
{
    ListBox1->clear();
    ListBox1->addItems(items);
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
}

int TForm4::selectedIndex() const
{
    const auto selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ListBox1->row(selected.constFirst());
}

bool TForm4::capitalize() const
{
    return allcaps->itemIndex() == 1;
}

bool TForm4::alignBottom() const
{
    return mainformlocation->itemIndex() != 0;
}

void TForm4::beginShowing(int placement, int capitals)
{
    m_shownPlacement = placement;
    m_shownCapitals = capitals;
}

void TForm4::done(int result)
{
    if (result != QDialog::Accepted) {
        mainformlocation->setItemIndex(m_shownPlacement);
        allcaps->setItemIndex(m_shownCapitals);
    }
    QDialog::done(result);
    guarded([this] { FormClose(); });
}

void TForm4::FormClose()
{
    JvFormStorage1->save();
}

void TForm4::Image3MouseUp()
{
    OpenDialog1.filter = rsScriptFilter;
    if (!m_dialogs.openFile(this, OpenDialog1))
        return;
    readPlainTextFile(OpenDialog1.fileName);
    ListBox1->addItem(OpenDialog1.fileName);
}

void TForm4::Image2MouseUp()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    delete ListBox1->takeItem(index);
}

void TForm4::Image5MouseUp()
{
    OpenDialog1.filter = rsQueueFilter;
    if (!m_dialogs.openFile(this, OpenDialog1))
        return;
    setQueueItems(readQueueFile(OpenDialog1.fileName));
}

void TForm4::Image4MouseUp()
{
    if (ListBox1->count() == 0) {
        m_dialogs.message(this, rsNothingToSave);
        return;
    }
    SaveDialog1.filter = rsQueueFilter;
    SaveDialog1.defaultExt = rsQueueExtension;
    if (!m_dialogs.saveFile(this, SaveDialog1))
        return;
    writeQueueFile(SaveDialog1.fileName, queueItems());
}
