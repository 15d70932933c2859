#pragma once

#include <QDialog>

// The about box.
class Taboutform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Taboutform)

public:
    explicit Taboutform(QWidget *parent = nullptr);
};
