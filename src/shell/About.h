#pragma once

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <utility>
#include <vector>

class DesktopOpener;
class QLabel;
class TLinkLabel;

// The About box: the front-end's logo and version, the emulator's logo, and the two
// credits as links, in a framed panel above an OK button.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(DesktopOpener& opener, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutBox)

    // Puts the version text into the box and shows it modally.
    void ShowWithVersion(const QString& version);
    void setVersion(const QString& version);

    // Draws an SVG picture stretched over a logo's frame; a file that is missing or
    // not a picture leaves the frame empty.
    void setFrontLogo(const QString& svgFile);
    void setEmulatorLogo(const QString& svgFile);

protected:
    void showEvent(QShowEvent* event) override;

    TLinkLabel* FrontEndAuthorLink() const { return m_frontEndAuthorLink; }
    TLinkLabel* Author() const { return m_author; }
    QLabel* Label2() const { return m_label2; }

private:
    static void showPicture(QLabel* frame, const QString& svgFile);

    QLabel* m_frontLogo = nullptr;
    QLabel* m_versionLabel = nullptr;
    TLinkLabel* m_frontEndAuthorLink = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_emulatorLogo = nullptr;
    TLinkLabel* m_author = nullptr;
};
