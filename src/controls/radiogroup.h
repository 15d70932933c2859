#pragma once

#include <QGroupBox>

class QButtonGroup;

// A group of radio buttons addressed by index; -1 chooses none.
class RadioGroup final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RadioGroup)

public:
    explicit RadioGroup(QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    int count() const;
    int itemIndex() const;
    // Clamps to -1..count-1.
    void setItemIndex(int index);

private:
    QButtonGroup *m_buttons;
};
