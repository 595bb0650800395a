#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Asks whether every picture of the store is to be converted to PNG by the outside
// converter; Convert accepts, Cancel (and Escape) rejects.
class TSSConvert final : public QDialog {
    Q_OBJECT

public:
    explicit TSSConvert(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TSSConvert)

    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
};
