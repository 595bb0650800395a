#include "ScreenShotHandeling1.h"

#include <QIcon>

TScreenShot1::TScreenShot1(const PathSet& paths, Prompter& prompter, const ScreenShotPage& page,
                           QWidget* parent)
    : TScreenShot(paths, prompter, page, parent) {
    setWindowIcon(QIcon(QStringLiteral(":/icons/startkalto.svg")));
}
