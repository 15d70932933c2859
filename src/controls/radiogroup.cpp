#include "radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

RadioGroup::RadioGroup(QWidget *parent) : QGroupBox(parent), m_buttons(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->setSpacing(0);
}

void RadioGroup::setItems(const QStringList &items)
{
    const int index = itemIndex();
    const auto old = m_buttons->buttons();
    for (QAbstractButton *button : old) {
        m_buttons->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        m_buttons->addButton(button, i);
        layout()->addWidget(button);
    }
    setItemIndex(index);
}

int RadioGroup::count() const
{
    return int(m_buttons->buttons().size());
}

int RadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    index = std::clamp(index, -1, count() - 1);
    if (index < 0) {
        m_buttons->setExclusive(false);
        for (QAbstractButton *button : m_buttons->buttons())
            button->setChecked(false);
        m_buttons->setExclusive(true);
        return;
    }
    m_buttons->button(index)->setChecked(true);
}
