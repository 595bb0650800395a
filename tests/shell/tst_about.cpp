#include "ScriptedPrompter.h"
#include "shell/About1.h"
#include "shell/LinkLabel.h"

#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QColor kBlue(Qt::blue);
const QColor kRed(Qt::red);
const QColor kPurple(0x80, 0x00, 0x80);

// Mouse and crossing events as the window system delivers them to the label.
void enter(QWidget* w) {
    const QPointF at(2, 2);
    QEnterEvent event(at, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &event);
}

void leave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(w, &event);
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void press(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonPress, at, button, button);
}

void moveHeld(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

void release(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init() { m_opener.opened.clear(); }

    // Normal colour outside, the hover colour under the pointer, the active colour
    // while pressed; a release over the label opens the address.
    void linkColoursFollowThePointer() {
        TLinkLabel link(m_opener);
        link.setText(QStringLiteral("somebody"));
        link.resize(120, 20);
        QVERIFY(link.font().underline());
        QCOMPARE(link.currentColor(), kBlue);

        enter(&link);
        QCOMPARE(link.currentColor(), kRed);
        press(&link, {5, 5});
        QCOMPARE(link.currentColor(), kPurple);
        leave(&link);
        QCOMPARE(link.currentColor(), kBlue); // pressed alone is no state of its own
        enter(&link);
        QCOMPARE(link.currentColor(), kPurple);
        release(&link, {5, 5});
        QCOMPARE(link.currentColor(), kRed);
        QCOMPARE(m_opener.opened, QStringList{link.url()});
        leave(&link);
        QCOMPARE(link.currentColor(), kBlue);

        // Colours set later take effect at once, the normal one included.
        link.setNormalColor(Qt::darkGreen);
        link.setColorMouseOver(Qt::yellow);
        QCOMPARE(link.currentColor(), QColor(Qt::darkGreen));
        enter(&link);
        QCOMPARE(link.currentColor(), QColor(Qt::yellow));
    }

    // While the button is held the label keeps the mouse: leaving it shows only in the
    // moves, and a release off the label opens nothing. Other buttons open nothing.
    void releaseOffTheLabelOpensNothing() {
        TLinkLabel link(m_opener);
        link.setUrl(QStringLiteral("mailto:someone@startkalto.example.org"));
        link.resize(120, 20);
        enter(&link);
        press(&link, {5, 5});
        moveHeld(&link, {60, 10});
        QCOMPARE(link.currentColor(), kPurple);
        moveHeld(&link, {60, 40});
        QVERIFY(!link.hover());
        QCOMPARE(link.currentColor(), kBlue);
        release(&link, {60, 40});
        leave(&link);
        QCOMPARE(link.currentColor(), kBlue);
        QVERIFY(!link.pressed());

        enter(&link);
        press(&link, {5, 5}, Qt::RightButton);
        release(&link, {5, 5}, Qt::RightButton);
        press(&link, {5, 5}, Qt::MiddleButton);
        release(&link, {5, 5}, Qt::MiddleButton);
        QCOMPARE(m_opener.opened, QStringList());
        QCOMPARE(link.currentColor(), kRed);
    }

    void contextMenuCopiesTheAddress() {
        TLinkLabel link(m_opener);
        link.setUrl(QStringLiteral("mailto:someone@startkalto.example.org"));
        link.resize(120, 20);
        link.show();
        QVERIFY(QTest::qWaitForWindowExposed(&link));
        enter(&link);
        press(&link, {5, 5});

        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, link.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&link, &event);
        QVERIFY(!link.hover());
        QVERIFY(!link.pressed());
        QCOMPARE(link.currentColor(), kBlue);
        auto* menu = link.findChild<QMenu*>();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 1);
        QAction* copy = menu->actions().constFirst();
        QCOMPARE(copy->text(), QStringLiteral("Copy Link Location"));
        link.setPopupString(QStringLiteral("Copy address"));
        QCOMPARE(copy->text(), QStringLiteral("Copy address"));
        QCOMPARE(link.property("PopupString").toString(), QStringLiteral("Copy address"));

        QGuiApplication::clipboard()->clear();
        copy->trigger();
        menu->close();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("mailto:someone@startkalto.example.org"));
        QCOMPARE(m_opener.opened, QStringList());
    }

    // The box as the Help menu shows it: the version, the credits as links (a real
    // click opens the address), OK closes it.
    void aboutBoxShowsVersionAndCredits() {
        TAboutBox1 box(m_opener);
        QCOMPARE(box.windowTitle(), QStringLiteral("About StartKALTO"));
        auto* version = box.findChild<QLabel*>(QStringLiteral("versionlabel"));
        QCOMPARE(version->text(), QStringLiteral("version goes here"));
        for (const char* name : {"FrontLogo", "Label2", "EmulatorLogo", "Label4"})
            QVERIFY2(box.findChild<QLabel*>(QLatin1StringView(name)), name);
        auto* front = box.findChild<TLinkLabel*>(QStringLiteral("FrontEndAuthorLink"));
        auto* author = box.findChild<TLinkLabel*>(QStringLiteral("Author"));
        QCOMPARE(front->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(author->cursor().shape(), Qt::OpenHandCursor);
        for (const TLinkLabel* link : {front, author}) {
            QVERIFY(link->url().startsWith(QStringLiteral("mailto:")));
            QVERIFY(link->url().endsWith(QStringLiteral(".example.org")));
            QVERIFY(!link->text().isEmpty());
        }

        QString shownVersion;
        QTimer::singleShot(0, &box, [&] {
            shownVersion = version->text();
            QTest::mouseClick(author, Qt::LeftButton);
            QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
        });
        box.ShowWithVersion(QStringLiteral("0.27.1 public beta 1"));
        QVERIFY(!box.isVisible());
        QCOMPARE(shownVersion, QStringLiteral("0.27.1 public beta 1"));
        QCOMPARE(m_opener.opened, QStringList{author->url()});

        // The box is made once and shown again with each use.
        QTimer::singleShot(0, &box, [&] { box.accept(); });
        box.ShowWithVersion(QStringLiteral("0.27.2"));
        QCOMPARE(version->text(), QStringLiteral("0.27.2"));
    }

    // A logo is stretched over its whole frame; a missing picture shows nothing.
    void logosFillTheirFrames() {
        QTemporaryDir dir;
        const QString svg = dir.filePath(QStringLiteral("logo.svg"));
        QFile file(svg);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                   "<rect width='10' height='10' fill='#ff0000'/></svg>");
        file.close();

        TAboutBox box(m_opener);
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        auto* logo = box.findChild<QLabel*>(QStringLiteral("FrontLogo"));
        box.setFrontLogo(svg);
        const QImage drawn = logo->pixmap().toImage();
        QCOMPARE(drawn.size(), logo->size() * logo->devicePixelRatioF());
        QCOMPARE(drawn.pixelColor(1, 1), QColor(Qt::red));
        QCOMPARE(drawn.pixelColor(drawn.width() - 2, drawn.height() - 2), QColor(Qt::red));

        box.setFrontLogo(dir.filePath(QStringLiteral("missing.svg")));
        QVERIFY(logo->pixmap().isNull());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write("not a picture");
        file.close();
        box.setEmulatorLogo(svg);
        QVERIFY(box.findChild<QLabel*>(QStringLiteral("EmulatorLogo"))->pixmap().isNull());
    }

private:
    RecordingOpener m_opener;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
