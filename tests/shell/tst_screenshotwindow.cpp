// The picture store and the screenshot viewer: real picture files in a temporary
// front-end directory, the viewer on real widgets, and the main window's page.

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/PathSet.h"
#include "launch/Execfile.h"
#include "media/Pictures.h"
#include "media/ScreenShotHandeling.h"
#include "media/ScreenshotStore.h"
#include "shell/MainUnit1.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cstdio>
#include <png.h>
#include <vector>

using namespace Qt::StringLiterals;
using testsupport::FrontEndDir;

namespace {

// A real picture of the given size, in the format its extension names.
QByteArray pictureBytes(const QString& name, QSize size, QColor color = Qt::darkCyan) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QString format = QFileInfo(name).suffix().toUpper();
    image.save(&buffer, format == u"JPG" ? "JPG" : "BMP");
    return bytes;
}

// A PCX header; a file of nothing more is a whole picture, its pixels 0.
QByteArray pcxHeader(int bitsPerPixel, int planes, int width, int height) {
    QByteArray h(128, '\0');
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = char(bitsPerPixel);
    h[8] = char((width - 1) & 0xFF);
    h[9] = char((width - 1) >> 8);
    h[10] = char((height - 1) & 0xFF);
    h[11] = char((height - 1) >> 8);
    h[65] = char(planes);
    const int bytesPerLine = (width * (bitsPerPixel == 1 ? 1 : 8) + 7) / 8;
    h[66] = char(bytesPerLine & 0xFF);
    h[67] = char(bytesPerLine >> 8);
    return h;
}

// A PNG of one colour through libpng, row by row: large pictures in small files.
void writeFlatPng(const QString& path, int width, int height, int colorType, int bitDepth,
                  bool interlaced) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(file);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    std::vector<png_byte> row(png_get_rowbytes(png, info), 0x80);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y)
            png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// A BMP header of a 32-bit picture, without its pixels.
QByteArray bmpHeader(int width, int height) {
    QByteArray h(54, '\0');
    const auto put32 = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    h[26] = 1;
    h[28] = 32;
    return h;
}

// The figures a line of the probe's output gives ("peak 1234").
QMap<QString, QStringList> probeOutput(QProcess& probe) {
    QMap<QString, QStringList> values;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        const qsizetype blank = line.indexOf(' ');
        if (blank > 0)
            values[QString::fromLocal8Bit(line.left(blank))].append(
                QString::fromLocal8Bit(line.mid(blank + 1)));
    }
    return values;
}

QStringList namesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestScreenShotWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_paths.setFrontEndDir(m_dir->path());
        // Deleted pictures go to a trash of the test's own.
        m_trash = std::make_unique<testsupport::ScopedEnv>(
            "XDG_DATA_HOME", QFile::encodeName(m_dir->file(u"data"_s)));
        for (const char* dir : {"Titles", "Gameplay", "Flyers", "Marquees", "Cabinets"})
            m_dir->makeDir(QLatin1StringView(dir));
        m_panel = std::make_unique<QWidget>();
        m_panel->resize(480, 480);
        m_noShot = std::make_unique<QWidget>();
        m_image = new ScreenShotImage(m_panel.get());
        m_name = std::make_unique<QLabel>();
        m_viewer = std::make_unique<TScreenShot>(
            m_paths, *m_prompter,
            ScreenShotPage{m_noShot.get(), m_panel.get(), m_image, m_name.get(),
                           [this](bool picture) { m_pictureShown = picture; }});
        m_viewer->kinds = [this] { return m_kinds; };
        m_viewer->scaling = [this] { return m_scaling; };
        m_viewer->pause = [this] {
            ++m_pauses;
            return std::exchange(m_playing, false);
        };
        m_viewer->resume = [this] { m_playing = true; };
        m_current = 0;
        m_kinds = ScreenshotKinds();
        m_scaling = TScreenShot::Scaling::Scaled;
        m_playing = false;
        m_pauses = 0;
        m_pictureShown = false;
    }
    void cleanup() {
        m_labels.clear();
        m_main.reset();
        m_viewer.reset();
        m_name.reset();
        m_panel.reset();
        m_noShot.reset();
        m_prompter.reset();
        m_trash.reset();
        m_dir.reset();
    }

    // Title first, gameplay in name order, then flyer, marquee and cabinet; names match
    // without regard to case and keep theirs. A game's pictures are its zip name, a dot,
    // a number for gameplay and a picture extension: neither a stray file nor another
    // game whose name begins the same way counts.
    void theListFollowsTheKinds() {
        put("Titles/mygame.bak", "not a picture");
        put("Titles/mygame.b.jpg", "game mygame.b's title");
        put("Titles/mygame.png", "");
        put("Gameplay/mygame.010.jpg", "");
        put("Gameplay/MyGame.002.PCX", "");
        put("Gameplay/mygame.png", "");
        put("Gameplay/mygame.003.txt", "");
        put("Gameplay/mygame.b.001.pcx", "");
        put("Gameplay/mygame.x2.pcx", "");
        put("Gameplay/othergame.001.pcx", "");
        put("Flyers/MYGAME.JPG", "");
        put("Cabinets/mygame.bmp", "");
        const QString g = m_paths.GameplayDir;
        QCOMPARE(CollectScreenshots(m_paths, u"MYGAME"_s, m_kinds),
                 (QStringList{m_paths.TitlesDir + u"mygame.png"_s, g + u"MyGame.002.PCX"_s,
                              g + u"mygame.010.jpg"_s, g + u"mygame.png"_s,
                              m_paths.FlyersDir + u"MYGAME.JPG"_s,
                              m_paths.CabinetsDir + u"mygame.bmp"_s}));
        QCOMPARE(CollectScreenshots(m_paths, u"mygame.b"_s, m_kinds),
                 (QStringList{m_paths.TitlesDir + u"mygame.b.jpg"_s, g + u"mygame.b.001.pcx"_s}));
        m_kinds = ScreenshotKinds{false, false, false, false, false};
        QVERIFY(CollectScreenshots(m_paths, u"mygame"_s, m_kinds).isEmpty());
        m_kinds = ScreenshotKinds{false, false, true, false, true};
        QCOMPARE(CollectScreenshots(m_paths, u"mygame"_s, m_kinds).size(), 2);
    }

    // The pictures of the older layout move once, when the user agrees; every numbered
    // picture moves, and nothing in the new folders is replaced: a title already there
    // stays and the old one joins the gameplay pictures after those already there.
    void oldPicturesMoveOnce() {
        put("pcx/mygame01.pcx", "title");
        put("pcx/mygame02.pcx", "first");
        put("pcx/mygame05.pcx", "second");
        put("pcx/MYGAME12.JPG", "twelfth");
        put("pcx/mygame99.png", "last");
        put("pcx/mygame01.txt", "no picture");
        put("pcx/other01.jpg", "other title");
        put("Titles/mygame.png", "user's title");
        put("Gameplay/mygame.001.jpg", "user's shot");
        m_prompter->answers = {Prompter::Answer::No};
        MigrateScreenshotStore(m_paths, {u"mygame"_s, u"other"_s}, *m_prompter);
        QCOMPARE(namesIn(m_dir->file(u"pcx"_s)).size(), 7);
        QCOMPARE(m_prompter->beeps, 1);

        m_prompter->answers = {Prompter::Answer::Yes};
        MigrateScreenshotStore(m_paths, {u"mygame"_s, u"other"_s}, *m_prompter);
        QCOMPARE(namesIn(m_paths.TitlesDir), (QStringList{u"mygame.png"_s, u"other.jpg"_s}));
        QCOMPARE(m_dir->readFile(u"Titles/mygame.png"_s), QByteArray("user's title"));
        QCOMPARE(m_dir->readFile(u"Titles/other.jpg"_s), QByteArray("other title"));
        QStringList gameplay;
        for (const QString& name : namesIn(m_paths.GameplayDir))
            gameplay.append(name + u'=' +
                            QString::fromUtf8(m_dir->readFile(u"Gameplay/"_s + name)));
        QCOMPARE(gameplay, (QStringList{u"mygame.001.jpg=user's shot"_s, u"mygame.002.pcx=title"_s,
                                        u"mygame.003.pcx=first"_s, u"mygame.004.pcx=second"_s,
                                        u"mygame.005.jpg=twelfth"_s, u"mygame.006.png=last"_s}));
        // What is no picture stays, and with it the old folder.
        QCOMPARE(namesIn(m_dir->file(u"pcx"_s)), QStringList{u"mygame01.txt"_s});
        QCOMPARE(m_prompter->texts().last(),
                 u"Your old screenshots (if any) were moved and renamed."_s);
    }

    // Fitted, natural size and stretched, with the picture's size in the name line.
    void scalingPlacesThePicture() {
        put("Gameplay/mygame.001.bmp", pictureBytes(u"a.bmp"_s, {320, 240}));
        showGame();
        QVERIFY(m_pictureShown);
        QCOMPARE(m_name->text(), u"Gameplay/mygame.001.bmp (320x240)"_s);
        QCOMPARE(m_image->geometry(), QRect(0, 60, 480, 360));
        m_scaling = TScreenShot::Scaling::Stretched;
        m_viewer->Scale();
        QCOMPARE(m_image->geometry(), QRect(0, 0, 480, 480));

        put("Gameplay/mygame.001.bmp", pictureBytes(u"a.bmp"_s, {640, 480}));
        m_panel->resize(400, 246);
        m_scaling = TScreenShot::Scaling::Original;
        m_viewer->LoadNew();
        QCOMPARE(m_image->geometry(), QRect(-120, -117, 640, 480));
    }

    // Transparent parts of a picture (a 4-plane PCX of alpha 0 here) show the viewer's
    // background, whatever was on the page before, at its own size and scaled.
    void transparentPicturesShowTheBackground() {
        put("Gameplay/mygame.001.pcx", pcxHeader(8, 4, 8, 8));
        m_viewer->background = Qt::red;
        for (const TScreenShot::Scaling mode :
             {TScreenShot::Scaling::Original, TScreenShot::Scaling::Scaled}) {
            m_scaling = mode;
            showGame();
            QImage page(m_image->size(), QImage::Format_RGB32);
            page.fill(Qt::green); // what was there before
            m_image->render(&page, QPoint(), QRegion(), QWidget::DrawChildren);
            QCOMPARE(page.pixel(0, 0), qRgb(255, 0, 0));
            QCOMPARE(page.pixel(page.width() - 1, page.height() - 1), qRgb(255, 0, 0));
        }
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // Enlarged by a whole factor with sharp pixels, each pixel becomes a block; smoothly,
    // edges blend. Reductions are smooth either way, and a picture far larger than the
    // view, reduced a band at a time first, looks as one smooth scale would make it.
    void scalingForTheView() {
        QImage checker(2, 2, QImage::Format_RGB32);
        checker.setPixel(0, 0, qRgb(0, 0, 0));
        checker.setPixel(1, 0, qRgb(255, 255, 255));
        checker.setPixel(0, 1, qRgb(255, 255, 255));
        checker.setPixel(1, 1, qRgb(0, 0, 0));
        const QImage sharp = pictureForView(checker, {6, 6}, true);
        QCOMPARE(sharp, checker.scaled(6, 6, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        const QImage smooth = pictureForView(checker, {6, 6}, false);
        QVERIFY(qRed(smooth.pixel(2, 2)) > 0 && qRed(smooth.pixel(2, 2)) < 255);
        // 6 is 2 x 3 and a bit: the blocks stay sharp inside, only their edges blend.
        QCOMPARE(pictureForView(checker, {7, 7}, true).pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(pictureForView(checker, {1, 1}, true), pictureForView(checker, {1, 1}, false));

        QImage wide(4000, 300, QImage::Format_RGB888);
        for (int y = 0; y < wide.height(); ++y)
            for (int x = 0; x < wide.width(); ++x)
                wide.setPixel(x, y, qRgb(x * 255 / 3999, y * 255 / 299, (x / 500) % 2 * 255));
        const QImage expected =
            wide.convertToFormat(QImage::Format_RGB32)
                .scaled(100, 30, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage shown = pictureForView(wide, {100, 30}, true);
        QCOMPARE(shown.size(), expected.size());
        int worst = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                for (const int shift : {0, 8, 16})
                    worst = std::max(worst, std::abs(int((shown.pixel(x, y) >> shift) & 0xFF) -
                                                     int((expected.pixel(x, y) >> shift) & 0xFF)));
        QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
    }

    // Stepping wraps at both ends; an index out of range starts at the first picture.
    void stepping() {
        showGame();
        m_viewer->Next();
        QCOMPARE(m_current, 0);
        m_viewer->Prev();
        QCOMPARE(m_current, 0);
        QVERIFY(!m_pictureShown);
        QVERIFY(m_name->text().isEmpty());

        put("Gameplay/mygame.001.jpg", pictureBytes(u"a.jpg"_s, {8, 8}));
        m_viewer->LoadNew();
        m_viewer->Next();
        QCOMPARE(m_current, 0);
        m_viewer->Prev();
        QCOMPARE(m_current, 0);

        put("Gameplay/mygame.002.jpg", pictureBytes(u"a.jpg"_s, {8, 8}));
        put("Gameplay/mygame.003.jpg", pictureBytes(u"a.jpg"_s, {8, 8}));
        m_current = 5;
        m_viewer->LoadNew();
        QCOMPARE(m_current, 0);
        m_viewer->Prev();
        QCOMPARE(m_current, 2);
        QCOMPARE(m_name->text(), u"Gameplay/mygame.003.jpg (8x8)"_s);
        m_viewer->Next();
        QCOMPARE(m_current, 0);
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // A file that is no picture: the placeholder shows and the name line names the file,
    // so nothing of another game's picture stays on show under its name. Its box shows
    // once however often the slideshow comes back to it, and once more when the game is
    // chosen again. Delete takes the file named; Set as Titleshot leaves it.
    void unreadablePictures() {
        put("Gameplay/other.001.jpg", pictureBytes(u"a.jpg"_s, {8, 8}));
        put("Gameplay/mygame.001.jpg", "no picture");
        put("Gameplay/mygame.002.jpg", pictureBytes(u"a.jpg"_s, {8, 8}));
        qint32 otherShot = 0;
        m_viewer->setGame(u"other"_s, &otherShot);
        m_viewer->LoadNew();
        QVERIFY(m_pictureShown);
        showGame();
        QCOMPARE(m_prompter->texts(), QStringList{u"Invalid file format !"_s});
        QCOMPARE(m_prompter->shown[0].icon, Prompter::Icon::Error);
        QCOMPARE(m_name->text(), u"Gameplay/mygame.001.jpg (cannot be shown)"_s);
        QVERIFY(!m_pictureShown);
        QVERIFY(m_image->image().isNull());
        for (int step = 0; step < 6; ++step)
            m_viewer->Next();
        QCOMPARE(m_prompter->shown.size(), 1);
        m_viewer->setGame(u"other"_s, &otherShot);
        m_viewer->LoadNew();
        showGame();
        QCOMPARE(m_prompter->shown.size(), 2);

        m_prompter->answers = {Prompter::Answer::Yes};
        m_viewer->SetAsTitle();
        QCOMPARE(m_prompter->shown.size(), 2);
        QCOMPARE(namesIn(m_paths.TitlesDir), QStringList());
        m_prompter->answers = {Prompter::Answer::Yes};
        m_viewer->Delete();
        QCOMPARE(m_prompter->texts().last(),
                 u"Are you sure you want to delete\rGameplay/mygame.001.jpg ?"_s);
        QCOMPARE(namesIn(m_paths.GameplayDir),
                 (QStringList{u"mygame.001.jpg"_s, u"other.001.jpg"_s}));
        QCOMPARE(m_name->text(), u"Gameplay/mygame.001.jpg (8x8)"_s);
        QVERIFY(m_pictureShown);
    }

    // Deleting asks, naming the file, moves it to the trash and renumbers the gameplay
    // pictures; the last of three leaves them as they are. Without a trash the picture
    // is deleted. A trash that cannot take it is said, and the user asked whether to
    // delete it for good; a picture that cannot be deleted either stays, and is said.
    void deleteAndRenumber() {
        for (const char* name : {"mygame.001.jpg", "mygame.002.jpg", "mygame.003.jpg"})
            put(u"Gameplay/"_s + QLatin1StringView(name), pictureBytes(u"a.jpg"_s, {8, 8}));
        showGame();
        m_playing = true;
        m_current = 2;
        m_viewer->Load();
        m_prompter->answers = {Prompter::Answer::Yes};
        m_viewer->Delete();
        QCOMPARE(namesIn(m_paths.GameplayDir),
                 (QStringList{u"mygame.001.jpg"_s, u"mygame.002.jpg"_s}));
        QCOMPARE(m_prompter->texts().last(),
                 u"Are you sure you want to delete\rGameplay/mygame.003.jpg ?"_s);
        QVERIFY(m_playing); // paused for the question, resumed once afterwards
        QCOMPARE(namesIn(m_dir->file(u"data/Trash/files"_s)), QStringList{u"mygame.003.jpg"_s});

        m_current = 0;
        put("Gameplay/mygame.003.jpg", "third");
        put("Titles/mygame.png", "title");
        m_viewer->LoadNew();
        m_prompter->answers = {Prompter::Answer::Yes};
        m_viewer->Delete(); // the title
        m_current = 0;
        m_viewer->Load();
        m_prompter->answers = {Prompter::Answer::Yes};
        {
            put("not-a-folder", "");
            testsupport::ScopedEnv noTrash("XDG_DATA_HOME",
                                           QFile::encodeName(m_dir->file(u"not-a-folder"_s)));
            m_viewer->Delete();
        }
        QDirIterator all(m_dir->path(), QDir::Files, QDirIterator::Subdirectories);
        while (all.hasNext())
            QVERIFY(!all.next().endsWith(u"/mygame.001.jpg"_s) ||
                    all.filePath().contains(u"Gameplay"_s));
        QCOMPARE(namesIn(m_paths.GameplayDir),
                 (QStringList{u"mygame.001.jpg"_s, u"mygame.002.jpg"_s}));
        QCOMPARE(m_dir->readFile(u"Gameplay/mygame.002.jpg"_s), QByteArray("third"));
        QCOMPARE(namesIn(m_dir->file(u"data/Trash/files"_s)),
                 (QStringList{u"mygame.003.jpg"_s, u"mygame.png"_s}));
        QVERIFY(!m_dir->exists(u"files"_s));

        m_prompter->answers = {Prompter::Answer::No};
        m_viewer->Delete();
        QCOMPARE(namesIn(m_paths.GameplayDir).size(), 2);

        // The trash refuses new files: No keeps the picture, Yes deletes it for good.
        const int shown = int(m_prompter->shown.size());
        testsupport::UnwritableDir refusing(m_dir->file(u"data/Trash/info"_s));
        if (!refusing.isActive())
            QSKIP("the trash cannot be made to refuse files here");
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::No};
        m_viewer->Delete();
        QCOMPARE(m_prompter->shown.size(), shown + 2);
        QVERIFY(m_prompter->texts().last().startsWith(
            u"Gameplay/mygame.001.jpg could not be moved to the trash: "_s));
        QVERIFY(m_prompter->texts().last().endsWith(u".\rDelete it for good?"_s));
        QCOMPARE(namesIn(m_paths.GameplayDir).size(), 2);
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
        m_viewer->Delete();
        QCOMPARE(namesIn(m_paths.GameplayDir), QStringList{u"mygame.001.jpg"_s});
        QCOMPARE(m_dir->readFile(u"Gameplay/mygame.001.jpg"_s), QByteArray("third"));
        QCOMPARE(namesIn(m_dir->file(u"data/Trash/files"_s)).size(), 2);

        testsupport::UnwritableDir keeping(m_paths.GameplayDir);
        m_prompter->answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
        m_viewer->Delete();
        QVERIFY(m_prompter->texts().last().startsWith(
            u"Gameplay/mygame.001.jpg could not be deleted: "_s));
        QCOMPARE(m_prompter->shown.last().icon, Prompter::Icon::Error);
        QCOMPARE(namesIn(m_paths.GameplayDir), QStringList{u"mygame.001.jpg"_s});
    }

    // Closing the gaps never loses a picture, whatever the names.
    void renumberKeepsEveryPicture_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("gaps") << QStringList{u"mygame.001.pcx"_s, u"mygame.003.png"_s,
                                             u"mygame.007.pcx"_s}
                              << QStringList{u"mygame.001.pcx"_s, u"mygame.002.png"_s,
                                             u"mygame.003.pcx"_s};
        QTest::newRow("names in the way")
            << QStringList{u"mygame.0.pcx"_s, u"mygame.001.pcx"_s, u"mygame.002.pcx"_s}
            << QStringList{u"mygame.001.pcx"_s, u"mygame.002.pcx"_s, u"mygame.003.pcx"_s};
        QTest::newRow("letter case and no number")
            << QStringList{u"MYGAME.005.PNG"_s, u"mygame.png"_s}
            << QStringList{u"mygame.001.png"_s, u"mygame.002.png"_s};
        QTest::newRow("another game's pictures and other files stay")
            << QStringList{u"mygame.002.pcx"_s, u"mygame.b.001.pcx"_s, u"mygame.b.png"_s,
                           u"mygame.004.txt"_s}
            << QStringList{u"mygame.001.pcx"_s, u"mygame.004.txt"_s, u"mygame.b.001.pcx"_s,
                           u"mygame.b.png"_s};
    }
    void renumberKeepsEveryPicture() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        for (const QString& name : before)
            put(u"Gameplay/"_s + name, name.toUtf8());
        RenumberGameplay(m_paths.GameplayDir, u"mygame"_s);
        QCOMPARE(namesIn(m_paths.GameplayDir), after);
        QStringList contents;
        for (const QString& name : after)
            contents.append(QString::fromUtf8(m_dir->readFile(u"Gameplay/"_s + name)));
        contents.sort(Qt::CaseInsensitive);
        before.sort(Qt::CaseInsensitive);
        QCOMPARE(contents, before);
    }

    // The title itself stays; a picture made the title is the title that shows, and the
    // earlier title, of whatever format, goes back among the gameplay pictures.
    void setAsTitle() {
        const auto picture = [this](const char* relative, const char* label, QColor color) {
            const QByteArray bytes = pictureBytes(QString::fromLatin1(relative), {8, 8}, color);
            m_labels.insert(bytes, QString::fromLatin1(label));
            put(relative, bytes);
        };
        picture("Titles/mygame.jpg", "A", Qt::red);
        picture("Gameplay/mygame.001.jpg", "B", Qt::green);
        picture("Gameplay/mygame.002.bmp", "C", Qt::blue);
        m_viewer->setGame(u"mygame"_s, &m_current);
        m_viewer->LoadNew();
        m_prompter->answers = {Prompter::Answer::Yes};
        m_viewer->SetAsTitle();
        QCOMPARE(store(), u"Titles: mygame.jpg=A; Gameplay: mygame.001.jpg=B mygame.002.bmp=C"_s);
        QVERIFY(m_prompter->texts().contains(
            u"Are you sure you want to set the\rcurrent Screenshot as the Titleshot?"_s));

        const auto setTitle = [&](const char* name) {
            m_current =
                int(m_viewer->files().indexOf(m_paths.GameplayDir + QLatin1StringView(name)));
            QVERIFY(m_current > 0);
            m_viewer->Load();
            m_prompter->answers = {Prompter::Answer::Yes};
            m_viewer->SetAsTitle();
            QCOMPARE(m_viewer->files().value(0),
                     m_paths.TitlesDir + namesIn(m_paths.TitlesDir).value(0));
        };
        setTitle("mygame.002.bmp"); // a title of another format
        QCOMPARE(store(), u"Titles: mygame.bmp=C; Gameplay: mygame.001.jpg=B mygame.002.jpg=A"_s);
        setTitle("mygame.002.jpg"); // of the format of the title before it
        QCOMPARE(store(), u"Titles: mygame.jpg=A; Gameplay: mygame.001.jpg=B mygame.002.bmp=C"_s);
        setTitle("mygame.001.jpg");
        QCOMPARE(store(), u"Titles: mygame.jpg=B; Gameplay: mygame.001.bmp=C mygame.002.jpg=A"_s);
    }

    // The timer dialog: OK takes the bar's seconds, Cancel keeps the interval.
    void timerDialog() {
        QTimer::singleShot(0, this, [this] {
            QCOMPARE(m_viewer->TimerLabel->text(), u"3 Sec."_s);
            m_viewer->TimerBar->setValue(7);
            QCOMPARE(m_viewer->TimerLabel->text(), u"7 Sec."_s);
            m_viewer->CancelButton->click();
        });
        QCOMPARE(m_viewer->SetTimer(3000), 3000);
        QTimer::singleShot(0, this, [this] {
            m_viewer->TimerBar->setValue(7);
            m_viewer->OKButton->click();
        });
        QCOMPARE(m_viewer->SetTimer(3000), 7000);
        QCOMPARE(m_viewer->windowTitle(), u"Screenshot Timer"_s);
    }

    // The window: a selection shows the game's pictures, the slideshow steps through
    // them, the menu's Delete item follows the list, and a launch shows the new shots.
    void thePageFollowsTheSelection() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/lumabolt.zip"_s, "");
        put("Gameplay/lumabolt.001.jpg", pictureBytes(u"a.jpg"_s, {32, 24}));
        put("Gameplay/lumabolt.002.bmp", pictureBytes(u"a.bmp"_s, {16, 16}));
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_main->findChild<QAction*>(u"MSGamesInstalled"_s)->trigger();
        QCOMPARE(m_main->currentGame()->ZipName, u"lumabolt"_s);
        auto* label = m_main->findChild<QLabel*>(u"SSShowName"_s);
        QTRY_COMPARE(label->text(), u"Gameplay/lumabolt.001.jpg (32x24)"_s);
        QVERIFY(m_main->findChild<QWidget*>(u"SSPanel"_s)->isVisible());
        QVERIFY(!m_main->findChild<QWidget*>(u"NoShotImage"_s)->isVisible());

        auto* timer = m_main->findChild<QTimer*>(u"SSTimer"_s);
        QVERIFY(timer->isActive()); // the slideshow plays by default
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        QCOMPARE(label->text(), u"Gameplay/lumabolt.002.bmp (16x16)"_s);
        QCOMPARE(m_main->currentGame()->CurScrShot, 1);
        m_main->findChild<QToolButton*>(u"SToolNext"_s)->click();
        QCOMPARE(m_main->currentGame()->CurScrShot, 0);

        auto* menu = m_main->findChild<QMenu*>(u"MenuScreenShot"_s);
        auto* remove = m_main->findChild<QAction*>(u"MSSCRDelete"_s);
        emit menu->aboutToShow();
        QVERIFY(remove->isEnabled());
        m_main->findChild<QAction*>(u"MSSCRGameplay"_s)->trigger();
        emit menu->aboutToShow();
        QVERIFY(!remove->isEnabled());
        QVERIFY(m_main->findChild<QWidget*>(u"NoShotImage"_s)->isVisible());
        m_main->findChild<QAction*>(u"MSSCRGameplay"_s)->trigger();

        // A run adds its shots; the page shows the first of them, the status bar says how
        // many there are, and the slideshow goes on.
        testsupport::ScopedEnv shots("KALTO_SIM_SHOTS", "2");
        m_main->findChild<QPushButton*>(u"StartEmuButton"_s)->click();
        QCOMPARE(m_main->screenShot()->files().size(), 4);
        QVERIFY(label->text().startsWith(u"Gameplay/lumabolt.003.pcx ("_s));
        QCOMPARE(m_main->findChild<QLabel*>(u"StatusPanel1"_s)->text(),
                 u"Luma Bolt: 2 new screenshots"_s);
        QVERIFY(timer->isActive());
    }

    // The slideshow holds still while a menu or a box is open, so that a command acts on
    // the picture shown when its menu opened, and while any run lasts; it goes on after.
    void slideshowHoldsForMenusBoxesAndRuns() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/lumabolt.zip"_s, "");
        for (const char* name : {"lumabolt.001.bmp", "lumabolt.002.bmp", "lumabolt.003.bmp"})
            put(u"Gameplay/"_s + QLatin1StringView(name), pictureBytes(u"a.bmp"_s, {8, 8}));
        startWindow();
        auto* timer = m_main->findChild<QTimer*>(u"SSTimer"_s);
        const auto tick = [timer] {
            QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        };
        QVERIFY(timer->isActive());
        TGameObject* game = m_main->currentGame();
        QCOMPARE(game->CurScrShot, 0);

        // The picture's pop-up: ticks while it is open step nothing, Delete takes the
        // picture that was shown.
        auto* picture = m_main->findChild<QWidget*>(u"SSImage"_s);
        auto* popup = m_main->findChild<QMenu*>(u"ScrSchPopup"_s);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, picture->rect().center(),
                                     picture->mapToGlobal(picture->rect().center()));
        QApplication::sendEvent(picture, &rightClick);
        QTRY_VERIFY(popup->isVisible());
        tick();
        tick();
        QCOMPARE(game->CurScrShot, 0);
        m_prompter->answers = {Prompter::Answer::Yes};
        QAction* remove = m_main->findChild<QAction*>(u"Delete1"_s);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(remove).center());
        QCOMPARE(m_prompter->texts().last(),
                 u"Are you sure you want to delete\rGameplay/lumabolt.001.bmp ?"_s);
        QCOMPARE(namesIn(m_dir->file(u"data/Trash/files"_s)), QStringList{u"lumabolt.001.bmp"_s});

        // The ScreenShot menu, and a box (the timer's dialog): the same.
        auto* menu = m_main->findChild<QMenu*>(u"MenuScreenShot"_s);
        menu->popup(m_main->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(menu->isVisible());
        tick();
        menu->close();
        QCOMPARE(game->CurScrShot, 0);
        QTimer::singleShot(0, this, [&] {
            tick();
            m_main->screenShot()->CancelButton->click();
        });
        m_main->findChild<QToolButton*>(u"SToolTimer"_s)->click();
        QCOMPARE(game->CurScrShot, 0);
        tick();
        QCOMPARE(game->CurScrShot, 1);

        // Runs: the slideshow is paused while each lasts, ticks step nothing, and it goes
        // on afterwards.
        testsupport::ScopedEnv slow("KALTO_SIM_SLEEP_MS", "200");
        testsupport::ScopedEnv noShots("KALTO_SIM_SHOTS", "0");
        QList<bool> activeDuringRuns;
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this, [&] {
            QTimer::singleShot(0, this, [&] {
                activeDuringRuns.append(timer->isActive() || !m_main->ExecEmu()->isRunning());
                tick();
            });
        });
        m_main->findChild<QPushButton*>(u"RomcheckButton"_s)->click();
        m_main->findChild<QPushButton*>(u"StartEmuButton"_s)->click();
        QCOMPARE(activeDuringRuns, (QList<bool>{false, false}));
        QCOMPARE(game->CurScrShot, 1);
        QVERIFY(timer->isActive());
    }

    // The slideshow loads no picture nobody sees: with another page in front, the window
    // minimised or the pages hidden, its ticks step nothing. A picture that cannot be
    // shown has its box once, however often the slideshow comes back to it. The Info
    // page's picture counts follow Delete, Set as Titleshot, Renumber and a run's shots.
    void slideshowAndInfoFollowWhatIsSeen() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/lumabolt.zip"_s, "");
        put("Gameplay/lumabolt.001.bmp", pictureBytes(u"a.bmp"_s, {8, 8}));
        put("Gameplay/lumabolt.002.bmp", pictureBytes(u"a.bmp"_s, {8, 8}));
        put("Gameplay/lumabolt.003.bmp", "no picture");
        startWindow();
        auto* timer = m_main->findChild<QTimer*>(u"SSTimer"_s);
        const auto tick = [timer] {
            QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        };
        TGameObject* game = m_main->currentGame();
        auto* pages = m_main->findChild<QTabWidget*>(u"PageControl"_s);
        auto* screenshots = m_main->findChild<QWidget*>(u"ScreenShotTab"_s);
        auto* info = m_main->findChild<QWidget*>(u"InfoTab"_s);
        auto* pictures = m_main->findChild<QLabel*>(u"InfoPictures"_s);
        const auto counts = [&](int title, int gameplay) {
            return u"title %1, gameplay %2, flyer 0, marquee 0, cabinet 0"_s.arg(title).arg(
                gameplay);
        };

        pages->setCurrentWidget(info);
        tick();
        QCOMPARE(game->CurScrShot, 0);
        QTRY_COMPARE(pictures->text(), counts(0, 3));
        pages->setCurrentWidget(screenshots);
        m_main->showMinimized();
        QTRY_VERIFY(m_main->isMinimized());
        tick();
        QCOMPARE(game->CurScrShot, 0);
        m_main->showNormal();
        QTRY_VERIFY(!m_main->isMinimized());
        m_main->findChild<QAction*>(u"MSTabsheet"_s)->trigger();
        QVERIFY(!screenshots->isVisible());
        tick();
        QCOMPARE(game->CurScrShot, 0);
        m_main->findChild<QAction*>(u"MSTabsheet"_s)->trigger();
        for (int step = 0; step < 7; ++step)
            tick();
        QCOMPARE(game->CurScrShot, 1);
        QCOMPARE(m_prompter->texts(), QStringList{u"Invalid file format !"_s});

        pages->setCurrentWidget(info);
        m_prompter->answers = {Prompter::Answer::Yes};
        m_main->findChild<QAction*>(u"MSSCRDelete"_s)->trigger();
        QCOMPARE(pictures->text(), counts(0, 2));
        game->CurScrShot = 0;
        m_main->LoadNewScreenshots();
        m_prompter->answers = {Prompter::Answer::Yes};
        m_main->findChild<QAction*>(u"SetasTitleshot1"_s)->trigger();
        QCOMPARE(pictures->text(), counts(1, 1));
        put("Gameplay/lumabolt.009.bmp", pictureBytes(u"a.bmp"_s, {8, 8}));
        m_main->findChild<QAction*>(u"ScrshotRenumber"_s)->trigger();
        QCOMPARE(pictures->text(), counts(1, 2));
        testsupport::ScopedEnv shots("KALTO_SIM_SHOTS", "2");
        m_main->findChild<QPushButton*>(u"StartEmuButton"_s)->click();
        QCOMPARE(pictures->text(), counts(1, 4));
    }

    // With the picture focused, Left and Right (and Page Up and Page Down) step, Space
    // plays and pauses, Delete asks to delete.
    void keysOnThePicture() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/lumabolt.zip"_s, "");
        for (const char* name : {"lumabolt.001.bmp", "lumabolt.002.bmp", "lumabolt.003.bmp"})
            put(u"Gameplay/"_s + QLatin1StringView(name), pictureBytes(u"a.bmp"_s, {8, 8}));
        startWindow();
        auto* picture = m_main->findChild<QWidget*>(u"SSImage"_s);
        auto* play = m_main->findChild<QToolButton*>(u"SToolPlay"_s);
        QTest::mouseClick(picture, Qt::LeftButton, {}, picture->rect().center());
        QVERIFY(picture->hasFocus());
        const QList<std::pair<Qt::Key, int>> steps = {{Qt::Key_Right, 1},
                                                      {Qt::Key_PageDown, 2},
                                                      {Qt::Key_Right, 0},
                                                      {Qt::Key_Left, 2},
                                                      {Qt::Key_PageUp, 1}};
        for (const auto& [key, shown] : steps) {
            QTest::keyClick(picture, key);
            QCOMPARE(m_main->currentGame()->CurScrShot, shown);
        }
        QVERIFY(play->isChecked());
        QTest::keyClick(picture, Qt::Key_Space);
        QVERIFY(!play->isChecked());
        QVERIFY(!m_main->findChild<QTimer*>(u"SSTimer"_s)->isActive());
        QTest::keyClick(picture, Qt::Key_Space);
        QVERIFY(play->isChecked());
        m_prompter->answers = {Prompter::Answer::No};
        QTest::keyClick(picture, Qt::Key_Delete);
        QCOMPARE(m_prompter->texts().last(),
                 u"Are you sure you want to delete\rGameplay/lumabolt.002.bmp ?"_s);
        QCOMPARE(namesIn(m_paths.GameplayDir).size(), 3);
    }

    // A picture of a game with a very long zip name: its name line shows what fits and
    // the window keeps its width.
    void longNameKeepsTheWindow() {
        const QByteArray zip = "lumabolt" + QByteArray(237, 'x');
        m_dir->writeFile(u"catalog.txt"_s, "game (\r\nname " + zip +
                                               "\r\ndescription \"Long\"\r\nmanufacturer \"M\"\r\n"
                                               "year 1990\r\narchive ( name \"" +
                                               zip + "\" )\r\n)\r\n");
        testsupport::ScopedEnv catalog("KALTO_SIM_CATALOG",
                                       QFile::encodeName(m_dir->file(u"catalog.txt"_s)));
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/"_s + QString::fromLatin1(zip) + u".zip"_s, "");
        put(u"Gameplay/"_s + QString::fromLatin1(zip) + u".001.bmp"_s,
            pictureBytes(u"a.bmp"_s, {16, 16}));
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        m_main->resize(700, 500);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_main->findChild<QAction*>(u"MSGamesInstalled"_s)->trigger();
        QCOMPARE(m_main->currentGame()->ZipName.size(), 245);
        auto* label = m_main->findChild<QLabel*>(u"SSShowName"_s);
        QTRY_VERIFY(label->text().endsWith(u"(16x16)"_s));
        QCoreApplication::processEvents();
        QCOMPARE(m_main->width(), 700);
        QVERIFY(m_main->findChild<QWidget*>(u"ScreenShotTab"_s)->minimumSizeHint().width() < 700);
        QVERIFY(label->width() < label->fontMetrics().horizontalAdvance(label->text()));
    }

    // Broken PCX and PNG files get their own boxes.
    void unreadablePcxAndPng() {
        put("Gameplay/mygame.001.pcx", "\x0a\x05 too short to be a picture");
        put("Gameplay/mygame.002.png", "\x89PNG\r\n\x1a\n truncated");
        showGame();
        m_viewer->Next();
        QCOMPARE(m_prompter->texts(),
                 (QStringList{u"Invalid PCX file format."_s, u"Invalid PNG file format."_s}));
        QVERIFY(!m_pictureShown);
    }

    // The demo's pictures: every format of the store shows, in every scaling mode.
    void demoPicturesAllShow() {
        QProcess makeDemo;
        makeDemo.start(QStringLiteral(MAKE_DEMO_PATH),
                       {m_dir->path(), testsupport::kaltoSimPath()});
        QVERIFY(makeDemo.waitForFinished(60000));
        QCOMPARE(makeDemo.exitCode(), 0);
        m_viewer->setGame(u"lumabolt"_s, &m_current);
        m_viewer->LoadNew();
        const QStringList files = m_viewer->files();
        QCOMPARE(files.size(), 8);
        for (const TScreenShot::Scaling mode :
             {TScreenShot::Scaling::Original, TScreenShot::Scaling::Scaled,
              TScreenShot::Scaling::Stretched}) {
            m_scaling = mode;
            for (int i = 0; i < files.size(); ++i) {
                m_viewer->Next();
                QVERIFY2(m_name->text().endsWith(u')'), qPrintable(m_name->text()));
                QVERIFY(m_pictureShown);
                QVERIFY(!m_image->geometry().isEmpty());
            }
        }
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // The converter turns every picture of the store into a PNG through the launch
    // script, which gets its standing content back; the page lists the PNG in place.
    void conversionToPng() {
        m_dir->installEmulator();
        m_dir->installConfig();
        m_dir->writeFile(u"roms/lumabolt.zip"_s, "");
        QVERIFY(QFile::copy(QStringLiteral(NCONVERT_SIM_PATH), m_dir->file(u"nconvert.exe"_s)));
        QVERIFY(QFile::setPermissions(m_dir->file(u"nconvert.exe"_s),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        put("Titles/lumabolt.bmp", pictureBytes(u"a.bmp"_s, {20, 10}));
        put("Gameplay/lumabolt.001.jpg", pictureBytes(u"a.jpg"_s, {32, 24}));
        put("Gameplay/lumabolt.002.bmp", pictureBytes(u"a.bmp"_s, {16, 16}));
        put("Flyers/lumabolt.png", pictureBytes(u"a.bmp"_s, {4, 4}));
        startWindow();
        const QByteArray script = m_dir->readFile(u"batch.sh"_s);
        m_main->currentGame()->CurScrShot = 2;
        m_main->LoadNewScreenshots();
        QCOMPARE(m_main->findChild<QLabel*>(u"SSShowName"_s)->text(),
                 u"Gameplay/lumabolt.002.bmp (16x16)"_s);

        answerConversion(false);
        m_main->findChild<QAction*>(u"MSSCRConvertFormat"_s)->trigger();
        QCOMPARE(namesIn(m_paths.GameplayDir),
                 (QStringList{u"lumabolt.001.jpg"_s, u"lumabolt.002.bmp"_s}));

        // The slideshow is paused through the five runs and plays again afterwards.
        auto* timer = m_main->findChild<QTimer*>(u"SSTimer"_s);
        QList<bool> playingDuringRuns;
        connect(m_main->ExecEmu(), &TExecFile::waitStarted, this,
                [&] { playingDuringRuns.append(timer->isActive()); });
        answerConversion(true);
        m_main->findChild<QAction*>(u"MSSCRConvertFormat"_s)->trigger();
        QCOMPARE(playingDuringRuns, QList<bool>(5, false));
        QVERIFY(timer->isActive());
        QCOMPARE(namesIn(m_paths.GameplayDir),
                 (QStringList{u"lumabolt.001.png"_s, u"lumabolt.002.png"_s}));
        QCOMPARE(namesIn(m_paths.TitlesDir), QStringList{u"lumabolt.png"_s});
        QCOMPARE(m_dir->readFile(u"batch.sh"_s), script);
        QCOMPARE(m_main->findChild<QLabel*>(u"SSShowName"_s)->text(),
                 u"Gameplay/lumabolt.002.png (16x16)"_s);
        QCOMPARE(m_prompter->shown.size(), 0);
    }

    // The decoding tool shows what the viewer shows, and writes nothing for a bad file.
    void decodingTool() {
        put("Gameplay/x.jpg", pictureBytes(u"a.jpg"_s, {32, 24}));
        put("Gameplay/bad.pcx", "not a picture");
        QProcess tool;
        tool.start(QStringLiteral(KALTO_PICTURE_PATH),
                   {m_paths.GameplayDir + u"x.jpg"_s, m_dir->file(u"out.png"_s)});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QImage out(m_dir->file(u"out.png"_s));
        QCOMPARE(out.size(), QSize(32, 24));
        QCOMPARE(out.format(), QImage::Format_RGB32); // 8-bit RGB, no alpha
        tool.start(QStringLiteral(KALTO_PICTURE_PATH),
                   {m_paths.GameplayDir + u"bad.pcx"_s, m_dir->file(u"bad.png"_s)});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("Invalid PCX file format."));
        QVERIFY(!m_dir->exists(u"bad.png"_s));
        // Transparent parts come out as the viewer shows them, over its background.
        put("Gameplay/clear.pcx", pcxHeader(8, 4, 3, 2));
        tool.start(QStringLiteral(KALTO_PICTURE_PATH),
                   {m_paths.GameplayDir + u"clear.pcx"_s, m_dir->file(u"clear.png"_s)});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QImage(m_dir->file(u"clear.png"_s)).pixel(2, 1), kPictureBackground.rgb());
    }

    // The largest pictures the viewer takes, and small files that claim far larger ones:
    // in every scaling mode showing one costs at most 300 MB above the program's own, and
    // the decoding tool stays under 300 MB in all. A claim too large gets the viewer's box.
    void largePicturesStayWithinMemory_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error"); // empty: shown
        const QString pcx = u"Invalid PCX file format."_s;
        const QString png = u"Invalid PNG file format."_s;
        QTest::newRow("PCX 65535 x 32767, 1 bit, 128 bytes") << u"huge.pcx"_s << pcx;
        QTest::newRow("PCX 8193 x 4096, 1 bit") << u"over.pcx"_s << pcx;
        QTest::newRow("PCX 8192 x 4096, 1 bit") << u"mono.pcx"_s << QString();
        QTest::newRow("PCX 8192 x 4096, 4 planes of 8 bits") << u"rgba.pcx"_s << QString();
        QTest::newRow("PNG 16000 x 16000 grey") << u"huge.png"_s << png;
        QTest::newRow("PNG 8192 x 4096 grey") << u"grey.png"_s << QString();
        QTest::newRow("PNG 8192 x 4096 RGBA, interlaced") << u"rgba.png"_s << QString();
        QTest::newRow("BMP 16000 x 16000") << u"huge.bmp"_s << u"Invalid file format !"_s;
    }
    void largePicturesStayWithinMemory() {
        QFETCH(QString, name);
        QFETCH(QString, error);
        const QString file = m_dir->file(name);
        if (name == u"huge.pcx")
            m_dir->writeFile(name, pcxHeader(1, 1, 65535, 32767));
        else if (name == u"over.pcx")
            m_dir->writeFile(name, pcxHeader(1, 1, 8193, 4096));
        else if (name == u"mono.pcx")
            m_dir->writeFile(name, pcxHeader(1, 1, 8192, 4096));
        else if (name == u"rgba.pcx")
            m_dir->writeFile(name, pcxHeader(8, 4, 8192, 4096));
        else if (name == u"huge.png")
            writeFlatPng(file, 16000, 16000, PNG_COLOR_TYPE_GRAY, 8, false);
        else if (name == u"grey.png")
            writeFlatPng(file, 8192, 4096, PNG_COLOR_TYPE_GRAY, 8, false);
        else if (name == u"rgba.png")
            writeFlatPng(file, 8192, 4096, PNG_COLOR_TYPE_RGB_ALPHA, 8, true);
        else
            m_dir->writeFile(name, bmpHeader(16000, 16000));

        // The sanitizer keeps freed memory for a while and adds its own; it is told not to
        // keep any, which leaves an eighth more than the program itself takes.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"ASAN_OPTIONS"_s,
                           u"detect_leaks=0:quarantine_size_mb=0:allocator_may_return_null=1"_s);
        const qint64 limitKb = 300 * 1024;
        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(PICTURE_PROBE_PATH), {u"show"_s, file});
        QVERIFY(probe.waitForFinished(240000));
        QCOMPARE(probe.exitCode(), 0);
        QMap<QString, QStringList> shown = probeOutput(probe);
        const qint64 cost =
            shown[u"peak"_s].value(0).toLongLong() - shown[u"baseline"_s].value(0).toLongLong();
        qInfo("showing %s costs %lld MB", qPrintable(name), cost / 1024);
        QVERIFY2(cost <= limitKb, qPrintable(QString::number(cost / 1024) + u" MB"_s));
        QCOMPARE(shown[u"error"_s].size(), error.isEmpty() ? 0 : 1); // once, in any mode
        if (!error.isEmpty())
            QCOMPARE(shown[u"error"_s].value(0), error);

        probe.start(
            QStringLiteral(PICTURE_PROBE_PATH),
            {u"peak"_s, QStringLiteral(KALTO_PICTURE_PATH), file, m_dir->file(u"out.png"_s)});
        QVERIFY(probe.waitForFinished(240000));
        QMap<QString, QStringList> tool = probeOutput(probe);
        qInfo("the decoding tool holds %lld MB", tool[u"peak"_s].value(0).toLongLong() / 1024);
        QVERIFY(tool[u"peak"_s].value(0).toLongLong() <= limitKb);
        QCOMPARE(tool[u"status"_s].value(0), error.isEmpty() ? u"0"_s : u"1"_s);
        QCOMPARE(QImageReader(m_dir->file(u"out.png"_s)).size(),
                 error.isEmpty() ? QSize(8192, 4096) : QSize());
    }

    // Without memory for a picture, or for scaling it to the view, the picture's box
    // shows and the program goes on: run with an allocation limit of 2 MB, a picture of
    // 4 MB does not load, and a 1-bit picture of 2048 x 2048 loads but is not scaled.
    void noMemoryForAPicture() {
#if defined(__SANITIZE_ADDRESS__)
        m_dir->writeFile(u"rgba.pcx"_s, pcxHeader(8, 4, 1024, 1024));
        m_dir->writeFile(u"mono.pcx"_s, pcxHeader(1, 1, 2048, 2048));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            u"ASAN_OPTIONS"_s,
            u"detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=2"_s);
        for (const auto& [name, boxes] : {std::pair{u"rgba.pcx"_s, 1}, std::pair {
                                              u"mono.pcx"_s,
                                              1
                                          }}) {
            QProcess probe;
            probe.setProcessEnvironment(environment);
            probe.start(QStringLiteral(PICTURE_PROBE_PATH), {u"show"_s, m_dir->file(name)});
            QVERIFY(probe.waitForFinished(60000));
            QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
            QCOMPARE(probe.exitCode(), 0);
            QCOMPARE(probeOutput(probe)[u"error"_s],
                     QStringList(boxes, u"Invalid PCX file format."_s));
        }
#else
        QSKIP("needs the allocation limit of AddressSanitizer");
#endif
    }

private:
    void startWindow() {
        m_main = std::make_unique<TMain1>(*m_prompter, m_opener);
        QVERIFY(!m_main->terminating());
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        m_main->findChild<QAction*>(u"MSGamesInstalled"_s)->trigger();
        QCOMPARE(m_main->currentGame()->ZipName, u"lumabolt"_s);
    }
    // Answers the conversion dialog as soon as it shows.
    void answerConversion(bool convert) {
        QTimer::singleShot(0, this, [convert] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"Screenshotconversion"_s);
            dialog->findChild<QPushButton*>(convert ? u"BitBtn1"_s : u"BitBtn2"_s)->click();
        });
    }
    void put(const char* relative, const QByteArray& bytes) {
        put(QString::fromLatin1(relative), bytes);
    }
    void put(const QString& relative, const QByteArray& bytes) {
        m_dir->writeFile(relative, bytes);
    }
    // The titles and gameplay pictures with their contents' labels, for comparing in one
    // line.
    QString store() const {
        QString text;
        for (const char* dir : {"Titles", "Gameplay"}) {
            text += QLatin1StringView(dir) + u':';
            const QString folder = QLatin1StringView(dir) + u'/';
            for (const QString& name : namesIn(m_dir->file(folder)))
                text += u' ' + name + u'=' + m_labels.value(m_dir->readFile(folder + name));
            text += u"; "_s;
        }
        text.chop(2);
        return text;
    }
    void showGame() {
        m_viewer->setGame(u"mygame"_s, &m_current);
        m_viewer->LoadNew();
    }

    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<testsupport::ScopedEnv> m_trash;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingOpener m_opener;
    PathSet m_paths;
    std::unique_ptr<QWidget> m_panel;
    std::unique_ptr<QWidget> m_noShot;
    ScreenShotImage* m_image = nullptr;
    std::unique_ptr<QLabel> m_name;
    std::unique_ptr<TScreenShot> m_viewer;
    std::unique_ptr<TMain1> m_main;
    qint32 m_current = 0;
    ScreenshotKinds m_kinds;
    TScreenShot::Scaling m_scaling = TScreenShot::Scaling::Scaled;
    bool m_pictureShown = false;
    bool m_playing = false;
    int m_pauses = 0;
    QHash<QByteArray, QString> m_labels; // what store() calls a picture's bytes
};

QTEST_MAIN(TestScreenShotWindow)
#include "tst_screenshotwindow.moc"
