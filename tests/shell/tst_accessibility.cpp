#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "games/GameListView.h"
#include "media/SSconvertunit.h"
#include "shell/About1.h"
#include "shell/MainUnit1.h"
#include "shell/StartupProgress.h"
#include "shell/ZipDirs1.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <cmath>

using testsupport::FrontEndDir;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& color) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette darkPalette() {
    QPalette dark;
    const QColor window(0x2D, 0x2D, 0x30);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(group, QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(group, QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return dark;
}

// What a screen reader reads for the widget.
QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).trimmed() : QString();
}

QString describe(const QWidget* widget) {
    return QStringLiteral("%1 \"%2\"")
        .arg(QLatin1StringView(widget->metaObject()->className()), widget->objectName());
}

// The readability of the list as drawn: the worst contrast of the list's text colour
// against the background behind any shown game, and the best contrast the drawn text
// reaches against that background (the text is drawn in that colour).
struct ListContrast {
    double background = 0; // worst case over every pixel behind the games
    double drawn = 0;      // best case over the pixels of the drawn text
    QColor text;
    double backgroundLuminance = 0;
};

ListContrast measureList(TMain& main) {
    auto* list = main.findChild<GameListView*>(QStringLiteral("GameList"));
    QWidget* holder = list->parentWidget(); // the list over its background picture
    QAbstractItemView* view = list->currentView();
    list->clearSelection();
    view->clearFocus();
    const QImage drawn = holder->grab().toImage();
    list->hide();
    const QImage behind = holder->grab().toImage();
    list->show();

    ListContrast result;
    result.text = view->palette().color(QPalette::Active, QPalette::Text);
    result.background = 1e9;
    double luminanceSum = 0;
    qint64 pixels = 0;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QModelIndex index = view->model()->index(row, 0);
        const QRect item = view->visualRect(index)
                               .translated(view->viewport()->mapTo(holder, QPoint(0, 0)))
                               .intersected(holder->rect());
        if (item.isEmpty())
            continue;
        for (int y = item.top(); y <= item.bottom(); ++y) {
            for (int x = item.left(); x <= item.right(); ++x) {
                const QColor back = behind.pixelColor(x * behind.width() / holder->width(),
                                                      y * behind.height() / holder->height());
                result.background = std::min(result.background, contrast(result.text, back));
                result.drawn = std::max(
                    result.drawn, contrast(drawn.pixelColor(x * drawn.width() / holder->width(),
                                                            y * drawn.height() / holder->height()),
                                           back));
                luminanceSum += luminance(back);
                ++pixels;
            }
        }
    }
    result.backgroundLuminance = pixels ? luminanceSum / double(pixels) : 0;
    return result;
}

} // namespace

// Screen readers can name every control, the keyboard walks the window in reading
// order, and the list stays readable under a dark colour scheme.
class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_dir->installEmulator();
        m_dir->installConfig();
    }
    void cleanup() {
        QApplication::setPalette(QPalette());
        m_dir.reset();
    }

    // Every control a user can reach, and every tool bar, list and view, of the main
    // window and of its dialogs has a name that a screen reader reads.
    void everyControlHasAName() {
        ScriptedPrompter prompter;
        RecordingOpener opener;
        TMain1 main(prompter, opener);
        QVERIFY(!main.terminating());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TZipDirsForm1 rompaths(prompter, main.paths().EmuCfgFile, &main);
        TAboutBox1 about(opener, &main);
        TSSConvert conversion(&main);
        StartupProgress progress(StartupProgress::describe(QStringLiteral("-listinfo")), &main);

        QStringList nameless;
        for (QWidget* root : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&rompaths),
                              static_cast<QWidget*>(&about), static_cast<QWidget*>(&conversion),
                              static_cast<QWidget*>(&progress)}) {
            QList<QWidget*> widgets = root->findChildren<QWidget*>();
            widgets.prepend(root);
            for (QWidget* widget : widgets) {
                if (widget != root && widget->window() != root)
                    continue; // another dialog's, or a menu's
                const bool reachable = widget->focusPolicy() & Qt::TabFocus;
                const bool container = qobject_cast<QToolBar*>(widget) ||
                                       qobject_cast<QAbstractItemView*>(widget) ||
                                       qobject_cast<QTabWidget*>(widget);
                if ((reachable || container || widget == root) && accessibleName(widget).isEmpty())
                    nameless.append(describe(widget) + QStringLiteral(" in ") +
                                    describe(widget->parentWidget()) + QStringLiteral(" of ") +
                                    describe(root));
            }
        }
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(u'\n')));

        // Icon-only buttons say what they do, not what they show.
        const auto nameOf = [&](const char* objectName) {
            return accessibleName(main.findChild<QWidget*>(QLatin1StringView(objectName)));
        };
        QCOMPARE(nameOf("SToolPlay"), QStringLiteral("Play slideshow"));
        QCOMPARE(nameOf("SToolPrev"), QStringLiteral("Previous picture"));
        QCOMPARE(nameOf("SToolTimer"), QStringLiteral("Set slideshow timer"));
        QCOMPARE(nameOf("GameListIcons"), QStringLiteral("Games"));
        QCOMPARE(nameOf("GameListDetails"), QStringLiteral("Games"));
        QCOMPARE(nameOf("StartEmuButton"), QStringLiteral("Start Game"));
        main.close();
    }

    // Tab runs through the list panel, then the pages (the tabs, then each page's
    // controls), each page's tool bar last.
    void tabOrderRunsListPagesToolBars() {
        ScriptedPrompter prompter;
        RecordingOpener opener;
        TMain1 main(prompter, opener);
        QVERIFY(!main.terminating());
        QList<QWidget*> chain;
        for (QWidget* widget = main.nextInFocusChain(); widget != &main;
             widget = widget->nextInFocusChain()) {
            if (widget->window() == &main && (widget->focusPolicy() & Qt::TabFocus))
                chain.append(widget);
        }
        const auto position = [&](const char* objectName) {
            return chain.indexOf(main.findChild<QWidget*>(QLatin1StringView(objectName)));
        };
        auto* pages = main.findChild<QTabWidget*>(QStringLiteral("PageControl"));
        const qsizetype tabs = chain.indexOf(pages->tabBar());
        QVERIFY(position("GameSearch") >= 0);
        QVERIFY(position("GameSearch") < position("GameListIcons"));
        QVERIFY(position("GameListIcons") < position("StartEmuButton"));
        QVERIFY(position("StartEmuButton") < tabs);
        QVERIFY(tabs < position("ChUseDefSettings"));
        QVERIFY(position("SToolClose") < position("ChUseDefSettings"));
        QVERIFY(position("SetToolUndo") < position("RomcheckMemo"));
        QVERIFY(position("RomcheckMemo") < position("RomcheckButton"));
        for (const char* barName : {"SToolBar", "SettingsToolbar"}) {
            auto* bar = main.findChild<QToolBar*>(QLatin1StringView(barName));
            QWidget* page = bar->parentWidget();
            qsizetype lastOfPage = -1;
            qsizetype firstOfBar = chain.size();
            for (qsizetype i = 0; i < chain.size(); ++i) {
                if (bar->isAncestorOf(chain[i]))
                    firstOfBar = std::min(firstOfBar, i);
                else if (page->isAncestorOf(chain[i]))
                    lastOfPage = i;
            }
            QVERIFY2(firstOfBar < chain.size(), barName);
            QVERIFY2(lastOfPage < firstOfBar, barName);
            QVERIFY2(tabs < firstOfBar, barName);
        }
        main.close();
    }

    // Under a dark scheme, whether the window was made under it or the desktop switched
    // while it ran, the list follows the palette and its text keeps a contrast of at
    // least 4.5 (WCAG AA) against everything behind it, in every style.
    void listStaysReadableUnderADarkPalette_data() {
        QTest::addColumn<QString>("style");
        for (const QString& style : QStyleFactory::keys())
            QTest::newRow(qPrintable(style)) << style;
    }
    void listStaysReadableUnderADarkPalette() {
        QFETCH(QString, style);
        QApplication::setStyle(style);
        QApplication::setPalette(QApplication::style()->standardPalette());
        const auto check = [](TMain& main, bool dark, const char* when) {
            const ListContrast measured = measureList(main);
            qInfo("%s, %s: text %s, %.2f against the background behind the games (mean "
                  "luminance %.3f); drawn text reaches %.2f",
                  qPrintable(QApplication::style()->name()), when, qPrintable(measured.text.name()),
                  measured.background, measured.backgroundLuminance, measured.drawn);
            QVERIFY2(measured.background >= 4.5, when);
            QVERIFY2(measured.drawn >= 4.5, when);
            // The list follows the scheme instead of staying a light patch.
            QVERIFY2(dark ? measured.backgroundLuminance < 0.1 : measured.backgroundLuminance > 0.5,
                     when);
            // So does the Info page's link to a clone's parent.
            const auto* info = main.findChild<QWidget*>(QStringLiteral("InfoTab"));
            const auto* link = main.findChild<QWidget*>(QStringLiteral("InfoParent"));
            QTRY_VERIFY2(contrast(link->palette().color(QPalette::Link),
                                  info->palette().color(QPalette::Window)) >= 4.5,
                         when);
        };
        ScriptedPrompter prompter;
        RecordingOpener opener;
        {
            TMain1 main(prompter, opener);
            QVERIFY(!main.terminating());
            main.resize(800, 600);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            check(main, false, "light");
            QApplication::setPalette(darkPalette());
            // The window follows the change in its turn.
            QTRY_COMPARE(main.findChild<GameListView*>(QStringLiteral("GameList"))
                             ->currentView()
                             ->palette()
                             .color(QPalette::Text),
                         darkPalette().color(QPalette::Text));
            check(main, true, "switched to dark while running");
            main.close();
        }
        TMain1 main(prompter, opener);
        main.resize(800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        check(main, true, "made under a dark palette");
        main.close();
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
