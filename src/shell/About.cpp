#include "About.h"

#include "FontScale.h"
#include "LinkLabel.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {

// A "by" label and a credit link side by side, centred.
QHBoxLayout* creditRow(QLabel* by, TLinkLabel* link) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(by);
    row->addWidget(link);
    row->addStretch(1);
    return row;
}

} // namespace

TAboutBox::TAboutBox(DesktopOpener& opener, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    // The frame is drawn behind the controls rather than holding them: the controls
    // stay direct children of the box, which is what the font scaling reaches.
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    grid->addWidget(bevel, 0, 0);
    auto* panel = new QVBoxLayout;
    panel->setContentsMargins(12, 10, 12, 10);
    grid->addLayout(panel, 0, 0);

    m_frontLogo = new QLabel(this);
    m_frontLogo->setObjectName(QStringLiteral("FrontLogo"));
    m_frontLogo->setFixedSize(193, 49);
    m_frontLogo->setScaledContents(true);
    panel->addWidget(m_frontLogo, 0, Qt::AlignHCenter);

    m_versionLabel = new QLabel(QStringLiteral("version goes here"), this);
    m_versionLabel->setObjectName(QStringLiteral("versionlabel"));
    m_versionLabel->setAlignment(Qt::AlignCenter);
    m_versionLabel->setTextFormat(Qt::PlainText);
    panel->addWidget(m_versionLabel);

    auto* by = new QLabel(QStringLiteral("by"), this);
    by->setObjectName(QStringLiteral("Label1"));
    m_frontEndAuthorLink = new TLinkLabel(opener, this);
    m_frontEndAuthorLink->setObjectName(QStringLiteral("FrontEndAuthorLink"));
    panel->addLayout(creditRow(by, m_frontEndAuthorLink));
    panel->addSpacing(8);

    m_label2 = new QLabel(QStringLiteral("for the arcade emulator"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setAlignment(Qt::AlignCenter);
    QFont larger = m_label2->font();
    larger.setPointSize(10);
    m_label2->setFont(larger);
    QPalette blue = m_label2->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_label2->setPalette(blue);
    panel->addWidget(m_label2);

    m_emulatorLogo = new QLabel(this);
    m_emulatorLogo->setObjectName(QStringLiteral("EmulatorLogo"));
    m_emulatorLogo->setFixedSize(193, 57);
    m_emulatorLogo->setScaledContents(true);
    panel->addWidget(m_emulatorLogo, 0, Qt::AlignHCenter);

    auto* by2 = new QLabel(QStringLiteral("by"), this);
    by2->setObjectName(QStringLiteral("Label4"));
    m_author = new TLinkLabel(opener, this);
    m_author->setObjectName(QStringLiteral("Author"));
    panel->addLayout(creditRow(by2, m_author));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 1, 0, Qt::AlignHCenter);
    // The frame lies under the controls that share its cell.
    bevel->lower();
}

void TAboutBox::ShowWithVersion(const QString& version) {
    setVersion(version);
    exec();
}

void TAboutBox::setVersion(const QString& version) {
    m_versionLabel->setText(version);
}

void TAboutBox::setFrontLogo(const QString& svgFile) {
    showPicture(m_frontLogo, svgFile);
}

void TAboutBox::setEmulatorLogo(const QString& svgFile) {
    showPicture(m_emulatorLogo, svgFile);
}

void TAboutBox::showPicture(QLabel* frame, const QString& svgFile) {
    frame->clear();
    if (!QFile::exists(svgFile))
        return;
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        return;
    // Drawn for the screen's pixel density, stretched over the whole frame.
    const qreal ratio = frame->devicePixelRatioF();
    QPixmap picture(frame->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(frame->size())));
    painter.end();
    frame->setPixmap(picture);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ScaleFormFonts(this);
    // Centred on the screen, not over the main window.
    centreOnScreen(this);
}
