#include "About1.h"

#include "LinkLabel.h"

#include <QLabel>

TAboutBox1::TAboutBox1(DesktopOpener& opener, QWidget* parent) : TAboutBox(opener, parent) {
    setWindowTitle(QStringLiteral("About StartKALTO"));
    setFrontLogo(QStringLiteral(":/pictures/logo-startkalto.svg"));
    setEmulatorLogo(QStringLiteral(":/pictures/logo-kalto.svg"));

    FrontEndAuthorLink()->setText(QStringLiteral("the StartKALTO crew"));
    FrontEndAuthorLink()->setUrl(QStringLiteral("mailto:crew@startkalto.example.org"));
    FrontEndAuthorLink()->setCursorMouseOver(TLinkLabel::HandCursor::Hand1);

    Label2()->setText(QStringLiteral("a front-end for the arcade emulator"));

    Author()->setText(QStringLiteral("the Kalto workshop"));
    Author()->setUrl(QStringLiteral("mailto:workshop@kalto.example.org"));
    Author()->setCursorMouseOver(TLinkLabel::HandCursor::Hand2);
}
