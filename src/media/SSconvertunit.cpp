#include "SSconvertunit.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TSSConvert::TSSConvert(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SSConvert"));
    setWindowTitle(QStringLiteral("Screenshotconversion"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    const auto label = [this, layout](const char* name, const QString& text, bool large) {
        auto* item = new QLabel(text, this);
        item->setObjectName(QLatin1StringView(name));
        item->setAlignment(Qt::AlignCenter);
        if (large) {
            QFont font = item->font();
            font.setPointSizeF(font.pointSizeF() * 1.5);
            font.setBold(true);
            item->setFont(font);
        }
        layout->addWidget(item);
        return item;
    };
    Label4 = label("Label4", QStringLiteral("Convert all your screenshots"), true);
    Label1 = label("Label1", QStringLiteral("to PNG Format"), true);
    layout->addSpacing(8);
    Label5 = label("Label5", QStringLiteral("Conversion is done using Nconvert.exe"), false);
    Label6 = label("Label6", QStringLiteral("a freeware image converter"), false);
    Label7 =
        label("Label7", QStringLiteral("by its author, who kindly lets everyone use it"), false);
    layout->addSpacing(8);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QIcon(QStringLiteral(":/icons/dialog-ok.svg")),
                              QStringLiteral("Convert"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QIcon(QStringLiteral(":/icons/dialog-cancel.svg")),
                              QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    BitBtn1->setFocus();
}
