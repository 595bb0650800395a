#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/FileError.h"
#include "launch/EmulatorConfig.h"
#include "shell/BrowseFolder.h"
#include "shell/QtPrompter.h"
#include "shell/ZipDirs1.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>
#include <QtTest>
#include <functional>

using testsupport::FrontEndDir;

namespace {

QLineEdit* edit(const QWidget& form, int slot) {
    return form.findChild<QLineEdit*>(QStringLiteral("ZipDir%1").arg(slot));
}

QPushButton* button(const QWidget& form, const QString& name) {
    return form.findChild<QPushButton*>(name);
}

QStringList editTexts(const QWidget& form) {
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts.append(edit(form, i)->text());
    return texts;
}

// Runs SetDirs; while the dialog is up, `during` acts on it. A dialog still open after
// that is cancelled, so that a test never hangs.
void runModal(TZipDirsForm& form, RomDirs& dirs, const std::function<void()>& during) {
    QTimer::singleShot(0, &form, [&] {
        during();
        if (form.isVisible())
            form.reject();
    });
    form.SetDirs(dirs);
}

// Types the texts into the edits (a null text leaves the edit alone) and clicks OK;
// true when the dialog stayed open.
bool typeAndConfirm(TZipDirsForm& form, const QStringList& typed) {
    for (int i = 0; i < typed.size(); ++i) {
        if (!typed[i].isNull())
            edit(form, i)->setText(typed[i]);
    }
    QTest::mouseClick(button(form, QStringLiteral("OKButton")), Qt::LeftButton);
    return form.isVisible();
}

RomDirs dirsOf(const QStringList& texts) {
    return {texts.value(0), texts.value(1), texts.value(2), texts.value(3)};
}

// The value of a key line in a file as written, blanks around "=" trimmed.
QString lineValue(const QByteArray& file, const QByteArray& key) {
    for (const QByteArray& line : file.split('\n')) {
        if (line.startsWith(key + " =") || line.startsWith(key + "="))
            return QString::fromLatin1(line.mid(line.indexOf('=') + 1)).trimmed();
    }
    return QStringLiteral("<missing>");
}

} // namespace

class TestZipDirs : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dir->writeFile(QStringLiteral("roms/game.zip"), "PK");
        m_dir->writeFile(QStringLiteral("more/other.zip"), "PK");
        m_dir->makeDir(QStringLiteral("deep"));
        m_dir->makeDir(QStringLiteral("nozips"));
    }
    void cleanup() {
        m_prompter.reset();
        m_dir.reset();
    }

    // In every display style: a fault that shows in one style only is still a fault.
    void layoutAndKeyboard_data() {
        QTest::addColumn<QString>("style");
        for (const QString& style : QStyleFactory::keys())
            QTest::newRow(qPrintable(style)) << style;
    }
    void layoutAndKeyboard() {
        QFETCH(QString, style);
        const QString oldStyle = QApplication::style()->name();
        QApplication::setStyle(style);
        const auto restore = qScopeGuard([&] { QApplication::setStyle(oldStyle); });
        TZipDirsForm form(*m_prompter);
        QCOMPARE(form.windowTitle(), QStringLiteral("Zipped Rompaths"));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("LabelSetAlternativeRompath"))->text(),
                 QStringLiteral("Set the paths to your zipped Roms:"));
        QCOMPARE(button(form, QStringLiteral("BrowseButton3"))->text(),
                 QStringLiteral("Browse ..."));
        QVERIFY(button(form, QStringLiteral("OKButton"))->isDefault());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.size(), form.minimumSize()); // fixed size
        QCOMPARE(form.size(), form.maximumSize());

        // Tab passes the Browse buttons by, in the dialog's own order.
        edit(form, 0)->setFocus();
        QStringList visited;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, (QStringList{"ZipDir1", "ZipDir2", "OKButton", "CancelButton", "ZipDir3",
                                       "ZipDir0"}));
        form.close();
    }

    // Return in an edit is OK; empty edits pass and empty all four paths.
    void emptyEditsAreAccepted() {
        TZipDirsForm form(*m_prompter);
        RomDirs dirs = dirsOf({"/old/a/", "/old/b/", "/old/c/", "/old/d/"});
        runModal(form, dirs, [&] {
            for (int i = 0; i < 4; ++i)
                edit(form, i)->clear();
            QTest::keyClick(edit(form, 2), Qt::Key_Return);
        });
        QCOMPARE(dirs, RomDirs{});
        QCOMPARE(m_prompter->shown.size(), 0);
        QCOMPARE(m_prompter->beeps, 0);
    }

    void pathsAreStoredAbsoluteWithSeparator() {
        TZipDirsForm form(*m_prompter);
        RomDirs dirs;
        bool stayed = true;
        runModal(form, dirs, [&] {
            QCOMPARE(editTexts(form), QStringList(4, QString()));
            stayed = typeAndConfirm(
                form, {"roms", m_dir->path() + "more", "./deep/../roms/", m_dir->path() + "roms/"});
        });
        QVERIFY(!stayed);
        QCOMPARE(m_prompter->texts(), QStringList());
        const QString roms = m_dir->path() + "roms/";
        QCOMPARE(dirs, dirsOf({roms, m_dir->path() + "more/", roms, roms}));
    }

    // The check stops at the first edit that fails; those before it keep their
    // normalised text, the failing one is left as typed or normalised as far as it got.
    void checkStopsAtTheFirstFailure() {
        TZipDirsForm form(*m_prompter);
        RomDirs dirs = dirsOf({"/old/a/", "", "", ""});
        const RomDirs before = dirs;
        QStringList afterMissing, afterNoZips;
        runModal(form, dirs, [&] {
            QVERIFY(typeAndConfirm(form, {"roms", "missing", "missing too", "nozips"}));
            afterMissing = editTexts(form);
            QVERIFY(typeAndConfirm(form, {QString(), "nozips"}));
            afterNoZips = editTexts(form);
        });
        QCOMPARE(dirs, before); // cancelled in the end
        const QString roms = m_dir->path() + "roms/";
        const QString nozips = m_dir->path() + "nozips/";
        QCOMPARE(afterMissing, (QStringList{roms, "missing", "missing too", "nozips"}));
        QCOMPARE(afterNoZips, (QStringList{roms, nozips, "missing too", "nozips"}));
        QCOMPARE(m_prompter->texts(), (QStringList{"missing\ris NOT a vallid directory !",
                                                   nozips + "\rdoes not contain any zipfiles!"}));
        QCOMPARE(m_prompter->beeps, 2);
        for (const auto& shown : m_prompter->shown) {
            QCOMPARE(shown.icon, Prompter::Icon::Error);
            QCOMPARE(shown.buttons, Prompter::Buttons::Ok);
        }
    }

    // Romset files follow the file system's case rule; only files count.
    void onlyZipFilesAsTheFileSystemNamesThem() {
        m_dir->writeFile(QStringLiteral("upper/GAME.ZIP"), "PK");
        m_dir->writeFile(QStringLiteral("upper/game.Zip"), "PK");
        m_dir->makeDir(QStringLiteral("upper/folder.zip"));
        m_dir->writeFile(QStringLiteral("hidden/.game.zip"), "PK");
        TZipDirsForm form(*m_prompter);
        RomDirs dirs;
        runModal(form, dirs, [&] {
            edit(form, 0)->setText(QStringLiteral("upper"));
            QVERIFY(!form.checkPaths());
            edit(form, 0)->setText(QStringLiteral("hidden"));
            QVERIFY(form.checkPaths());
        });
        QCOMPARE(m_prompter->texts(),
                 QStringList{m_dir->path() + "upper/\rdoes not contain any zipfiles!"});
    }

    // The emulator's file is written after Cancel too, with the paths unchanged; every
    // other line stays.
    void emulatorConfigWrittenAfterEveryUse() {
        m_dir->installConfig();
        const QString cfg = m_dir->file(QStringLiteral("Config/Kalto.cfg"));
        TZipDirsForm1 form(*m_prompter, cfg);
        RomDirs dirs = dirsOf({m_dir->path() + "roms/", "", "", "/gone/"});
        runModal(form, dirs, [&] {
            edit(form, 0)->setText(QStringLiteral("more"));
            QTest::mouseClick(button(form, QStringLiteral("CancelButton")), Qt::LeftButton);
        });
        QCOMPARE(dirs, dirsOf({m_dir->path() + "roms/", "", "", "/gone/"}));
        QByteArray text = m_dir->readFile(QStringLiteral("Config/Kalto.cfg"));
        QCOMPARE(lineValue(text, "rom_dir_0"), m_dir->path() + "roms/");
        QCOMPARE(lineValue(text, "rom_dir_1"), QString());
        QCOMPARE(lineValue(text, "rom_dir_3"), QStringLiteral("/gone/"));
        QCOMPARE(lineValue(text, "ScreenShots"), QStringLiteral("screens/"));
        QCOMPARE(lineValue(text, "Wibble"), QStringLiteral("0"));
        QVERIFY(text.contains("[General]"));

        runModal(form, dirs, [&] { QVERIFY(!typeAndConfirm(form, {"more", {}, {}, ""})); });
        QCOMPARE(ReadRomDirs(cfg), dirsOf({m_dir->path() + "more/", "", "", ""}));

        testsupport::UnwritableDir locked(m_dir->file(QStringLiteral("Config")));
        if (!locked.isActive())
            QSKIP("no way to make a directory unwritable here");
        // A use that changes nothing leaves the file alone; one that changes it must
        // write it, and says so when it cannot.
        runModal(form, dirs, [] {});
        dirs = dirsOf({m_dir->path() + "other/", "", "", ""});
        QVERIFY_THROWS_EXCEPTION(FileError, runModal(form, dirs, [] {}));
        QCOMPARE(ReadRomDirs(cfg), dirsOf({m_dir->path() + "more/", "", "", ""}));
    }

    void browsePutsThePickedFolderIntoTheEdit() {
        TZipDirsForm form(*m_prompter);
        edit(form, 1)->setText(QStringLiteral("roms"));
        edit(form, 2)->setText(QStringLiteral("/keep/"));
        m_prompter->folderAnswers = {m_dir->path() + "more", std::nullopt};
        button(form, QStringLiteral("BrowseButton1"))->click();
        button(form, QStringLiteral("BrowseButton2"))->click();
        QCOMPARE(m_prompter->folderRequests.size(), 2);
        QCOMPARE(m_prompter->folderRequests[0].title, QStringLiteral("Select alternative rompath"));
        QCOMPARE(m_prompter->folderRequests[0].initialDir, QStringLiteral("roms"));
        QCOMPARE(m_prompter->folderRequests[1].initialDir, QStringLiteral("/keep/"));
        QCOMPARE(editTexts(form), (QStringList{"", m_dir->path() + "more", "/keep/", ""}));
    }

    void shortenPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("shown");
        QTest::newRow("drive, 37 characters")
            << "C:\\Games\\Emulators\\Arcade\\roms\\zipped" << QChar(u'\\')
            << "C:\\...\\Emulators\\Arcade\\roms\\zipped";
        // The empty part before the root stays; the first folder gives way to "...".
        QTest::newRow("root, 40 characters") << "/home/games/Emulators/Arcade/roms/zipped"
                                             << QChar(u'/') << "/.../Emulators/Arcade/roms/zipped";
        QTest::newRow("35 characters") << "/home/gamer/Arcade/roms/zipped/abcd" << QChar(u'/')
                                       << "/home/gamer/Arcade/roms/zipped/abcd";
        QTest::newRow("two parts") << "/a-very-long-folder-name-with-no-break-in-it" << QChar(u'/')
                                   << "/a-very-long-folder-name-with-no-break-in-it";
        // Down to three parts, however long they stay.
        QTest::newRow("three parts left")
            << "/srv/x/arcade-romsets-collection-for-kalto-zipped" << QChar(u'/')
            << "/.../arcade-romsets-collection-for-kalto-zipped";
        QTest::newRow("other separator")
            << "/home/games/Emulators/Arcade/roms/zipped" << QChar(u'\\')
            << "/home/games/Emulators/Arcade/roms/zipped";
    }
    void shortenPath() {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, shown);
        QCOMPARE(ShortenPath(path, 35, separator), shown);
    }

    // The given folder is highlighted, shown in the status line and can be chosen; a
    // folder that does not exist highlights nothing and leaves OK off.
    void folderPickerHighlight() {
        m_dir->makeDir(QStringLiteral("roms/Emulators/Arcade/roms/zipped"));
        m_dir->makeDir(QStringLiteral(".kalto/roms"));
        TBrowseFolder picker(QStringLiteral("Select alternative rompath"));
        auto* tree = picker.findChild<QTreeView*>(QStringLiteral("BrowseTree"));
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        auto* status = picker.findChild<QLabel*>(QStringLiteral("BrowseStatus"));
        auto* ok = picker.findChild<QPushButton*>(QStringLiteral("BrowseOKButton"));
        QCOMPARE(picker.windowTitle(), QStringLiteral("Select alternative rompath"));

        picker.setDirectory(m_dir->path() + "missing");
        QVERIFY(!tree->currentIndex().isValid());
        QCOMPARE(status->text(), QString());
        QVERIFY(!ok->isEnabled());

        const QString deep = m_dir->path() + "roms/Emulators/Arcade/roms/zipped";
        picker.setDirectory(QStringLiteral("roms/Emulators/Arcade/roms/zipped/"));
        QCOMPARE(model->filePath(tree->currentIndex()), deep);
        QVERIFY(tree->isExpanded(tree->currentIndex().parent()));
        QCOMPARE(status->text(), ShortenPath(deep));
        QVERIFY(status->text().size() <= 35);
        QVERIFY(status->text().endsWith(QStringLiteral("/roms/zipped")));
        QVERIFY(ok->isEnabled());

        // A folder in a hidden one, though the tree leaves hidden folders out: found
        // after the tree has read their parent, and still highlighted after it has read
        // the hidden folder.
        QTRY_VERIFY(loaded.contains(QVariantList{m_dir->path().chopped(1)}));
        const QString hidden = m_dir->path() + ".kalto/roms";
        picker.setDirectory(hidden);
        QCOMPARE(model->filePath(tree->currentIndex()), hidden);
        QTRY_VERIFY(loaded.contains(QVariantList{m_dir->path() + ".kalto"}));
        QCOMPARE(model->filePath(tree->currentIndex()), hidden);

        tree->setCurrentIndex(model->index(QStringLiteral("/")));
        QCOMPARE(status->text(), QStringLiteral("/"));
        QVERIFY(ok->isEnabled());
    }

    // OK yields the highlighted folder; Cancel keeps the directory. The picker opens
    // centred over the foreground window, a quarter of its height below its top.
    void folderPickerRun() {
        QWidget foreground;
        foreground.setGeometry(100, 80, 700, 400);
        foreground.show();
        QVERIFY(QTest::qWaitForWindowActive(&foreground));

        TBrowseFolder picker(QStringLiteral("Pick"), &foreground);
        picker.setDirectory(m_dir->path() + "roms");
        QRect placed;
        QTimer::singleShot(0, &picker, [&] {
            placed = picker.frameGeometry();
            auto* tree = picker.findChild<QTreeView*>(QStringLiteral("BrowseTree"));
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            tree->setCurrentIndex(model->index(m_dir->path() + "more"));
            QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("BrowseOKButton")),
                              Qt::LeftButton);
        });
        QVERIFY(picker.Execute());
        QCOMPARE(picker.directory(), m_dir->path() + "more");
        const QRect over = foreground.frameGeometry();
        QCOMPARE(placed.top(), over.top() + over.height() / 4);
        QVERIFY(qAbs(placed.center().x() - over.center().x()) <= 1);
        QCOMPARE(placed.size(), picker.frameGeometry().size());

        QTimer::singleShot(0, &picker, [&] {
            QTest::mouseClick(picker.findChild<QPushButton*>(QStringLiteral("BrowseCancelButton")),
                              Qt::LeftButton);
        });
        QVERIFY(!picker.Execute());
        QCOMPARE(picker.directory(), m_dir->path() + "more");
    }

    // The application's prompter runs this picker.
    void qtPrompterPicksWithThePicker() {
        QtPrompter prompter;
        const auto answer = [](bool ok) {
            QTimer::singleShot(0, qApp, [ok] {
                auto* picker = qobject_cast<TBrowseFolder*>(QApplication::activeModalWidget());
                QVERIFY(picker);
                QCOMPARE(picker->windowTitle(), QStringLiteral("Select alternative rompath"));
                picker
                    ->findChild<QPushButton*>(ok ? QStringLiteral("BrowseOKButton")
                                                 : QStringLiteral("BrowseCancelButton"))
                    ->click();
            });
        };
        answer(true);
        QCOMPARE(prompter.pickFolder({QStringLiteral("Select alternative rompath"), "roms"}),
                 std::optional<QString>(m_dir->path() + "roms"));
        answer(false);
        QCOMPARE(prompter.pickFolder({QStringLiteral("Select alternative rompath"), "roms"}),
                 std::nullopt);
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
};

QTEST_MAIN(TestZipDirs)
#include "tst_zipdirs.moc"
