// Times the game list's heavy paths on a catalog of forty thousand games against simple
// baselines measured in the same run, and the front-end's peak memory after start-up.
// It reports; missing a target does not make it fail.

#include "CatalogGenerator.h"
#include "Measure.h"
#include "core/IniDocument.h"
#include "core/Prompter.h"
#include "games/GameListModel.h"
#include "games/GameObject.h"
#include "games/ListInfoImport.h"
#include "games/RomsetFinder.h"
#include "launch/EmulatorConfig.h"
#include "shell/MainUnit1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QThread>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

using skbench::compareMedians;
using skbench::reportLine;
using skbench::timeMs;
using skbench::Timings;

namespace {

struct Options {
    QString dir = QStringLiteral(BENCH_DATA_DIR);
    int reps = 7;
    QSet<QString> only; // empty: every figure
    bool generateOnly = false;

    bool wants(const char* name) const {
        return only.isEmpty() || only.contains(QLatin1StringView(name));
    }
};

void usage() {
    std::fprintf(stderr, "usage: bench_gamelist [--dir DIR] [--reps N] [--only "
                         "import,flags,fill,filters,startup,search,memory,process,close]"
                         " [--generate-only]\n");
}

std::optional<Options> parseOptions(const QStringList& args) {
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == u"--dir" && hasValue) {
            options.dir = QFileInfo(args[++i]).absoluteFilePath();
        } else if (arg == u"--reps" && hasValue) {
            bool ok = false;
            options.reps = args[++i].toInt(&ok);
            if (!ok || options.reps < 1)
                return std::nullopt;
        } else if (arg == u"--only" && hasValue) {
            for (const QString& name : args[++i].split(u',', Qt::SkipEmptyParts))
                options.only.insert(name);
        } else if (arg == u"--generate-only") {
            options.generateOnly = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

QString fmtMs(double ms) {
    return QString::number(ms, 'f', ms < 10 ? 2 : 1) + QStringLiteral(" ms");
}

std::string details(const char* subject, const char* baseline, const Timings& t) {
    return QStringLiteral("%1 %2, %3 %4")
        .arg(QLatin1StringView(subject), fmtMs(t.subject), QLatin1StringView(baseline),
             fmtMs(t.baseline))
        .toStdString();
}

// Answers every question with its cancelling answer and shows what was asked, since
// nothing should be asked on a start with a complete front-end directory.
class AutoPrompter final : public Prompter {
public:
    Answer message(Icon, Buttons buttons, const QString& text) override {
        ++shown;
        std::fprintf(stderr, "bench: the front-end said: %s\n",
                     qPrintable(displayText(text).replace(u'\n', u' ')));
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::Cancel:
        case Buttons::YesNoCancel:
            return Answer::Cancel;
        }
        return Answer::Cancel;
    }
    void beep() override {}
    std::optional<QString> openFile(const OpenFileRequest&) override {
        ++shown;
        return std::nullopt;
    }
    std::optional<FontChoice> chooseFont(const FontChoice&) override {
        ++shown;
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(const QColor&) override {
        ++shown;
        return std::nullopt;
    }
    std::optional<QString> pickFolder(const FolderRequest&) override {
        ++shown;
        return std::nullopt;
    }
    int shown = 0;
};

class NoOpener final : public DesktopOpener {
public:
    bool open(const QString&) override { return true; }
};

// The launch script echoes to the standard output it inherits; that would cut into
// the report.
class SilencedStdout {
public:
    SilencedStdout() {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }
    ~SilencedStdout() {
        std::fflush(stdout);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDOUT_FILENO);
            ::close(m_saved);
        }
    }
    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

private:
    int m_saved = -1;
};

// The fair floor for any parser: the bytes read in large blocks, line ends counted.
qint64 readAndCountLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 lines = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n <= 0)
            break;
        const char* p = buffer.constData();
        const char* const end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
            ++lines;
            ++p;
        }
    }
    return lines;
}

qint64 listDirectories(const RomDirs& dirs) {
    qint64 entries = 0;
    for (const QString& dir : dirs) {
        QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            entries += it.fileName().size() > 0;
        }
    }
    return entries;
}

void benchImport(const Options& options, const skbench::CatalogSummary& summary) {
    const QString path = options.dir + u'/' + QLatin1StringView(skbench::kCatalogFile);
    // The start-up imports into an empty list: the previous list is freed untimed.
    auto games = std::make_unique<TGameObjectList>();
    QString error;
    bool ok = true;
    qint64 lines = 0;
    qsizetype imported = 0;
    const Timings t = compareMedians(
        options.reps,
        [&] {
            ok = ImportGameList(*games, path, &error) && ok;
            imported = games->count();
        },
        [&] { lines = readAndCountLines(path); },
        [&] { games = std::make_unique<TGameObjectList>(); });
    if (!ok)
        std::printf("  import failed: %s\n", qPrintable(error));
    if (imported != summary.games || lines != summary.catalogLines)
        std::printf("  MISMATCH: imported %lld games (expected %d), counted %lld lines "
                    "(expected %lld)\n",
                    (long long)imported, summary.games, (long long)lines, summary.catalogLines);

    // A later import ("check for new supported games") first frees the full list.
    ImportGameList(*games, path, &error);
    std::vector<double> again;
    for (int i = 0; i < options.reps; ++i)
        again.push_back(timeMs([&] { ImportGameList(*games, path, &error); }));
    reportLine("import / read+count lines", t.ratio(), 6,
               details("import", "baseline", t) +
                   QStringLiteral(", %1 games; import over a full list %2")
                       .arg(imported)
                       .arg(fmtMs(skbench::median(again)))
                       .toStdString());
}

void benchUpdateFlags(const Options& options, const skbench::CatalogSummary& summary) {
    TGameObjectList games;
    QString error;
    if (!ImportGameList(games, QLatin1StringView(skbench::kCatalogFile), &error)) {
        std::printf("  import failed: %s\n", qPrintable(error));
        return;
    }
    const RomDirs dirs = ReadRomDirs(QStringLiteral("./Config/Kalto.cfg"));
    const QString cheats = QStringLiteral("./Config/Cheats.cfg");
    RomsetFinder finder;
    finder.setRomDirs(dirs);
    qint64 entries = 0;
    // UpdateFlags starts with a rescan: every call lists the directories afresh.
    const Timings t = compareMedians(
        options.reps, [&] { games.UpdateFlags(finder, false, cheats); },
        [&] { entries = listDirectories(dirs); });

    int installed = 0;
    int withCheats = 0;
    for (const auto& game : games) {
        installed += game->Installed;
        withCheats += game->HasCheats;
    }
    if (installed != summary.installed || withCheats != summary.withCheats)
        std::printf("  MISMATCH: %d installed (expected %d), %d with cheats (expected %d)\n",
                    installed, summary.installed, withCheats, summary.withCheats);
    reportLine("UpdateFlags / list 4 rom dirs", t.ratio(), 4,
               details("UpdateFlags", "baseline", t) +
                   QStringLiteral(", %1 installed, %2 with cheats, %3 directory entries")
                       .arg(installed)
                       .arg(withCheats)
                       .arg(entries)
                       .toStdString());
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void benchFill(const Options& options, const skbench::CatalogSummary& summary) {
    skbench::resetFrontEndFiles(options.dir.toStdString());
    AutoPrompter prompter;
    NoOpener opener;
    std::unique_ptr<TMain1> main;
    double startupMs = 0;
    {
        SilencedStdout quiet;
        startupMs = timeMs([&] { main = std::make_unique<TMain1>(prompter, opener); });
    }
    if (main->terminating() || main->games().count() != summary.games) {
        std::printf("  MISMATCH: the window started with %lld games (expected %d)%s\n",
                    (long long)main->games().count(), summary.games,
                    main->terminating() ? ", and asked to end" : "");
        if (main->games().isEmpty()) {
            main.reset();
            skbench::resetFrontEndFiles(options.dir.toStdString());
            return;
        }
    }
    main->show();
    settle();
    if (auto* details = main->findChild<QAction*>(QStringLiteral("MSIconsDetails")))
        details->trigger();
    if (main->sortColumn() != GameListModel::NameColumn) {
        if (auto* byName = main->findChild<QAction*>(QStringLiteral("MSSortbyName")))
            byName->trigger();
    }
    settle();
    const auto* detailsView = main->findChild<QWidget*>(QStringLiteral("GameListDetails"));
    if (!detailsView || !detailsView->isVisible() ||
        main->sortColumn() != GameListModel::NameColumn)
        std::printf("  MISMATCH: the list is not in the Details style sorted by Name\n");

    std::vector<QString> titles; // in list-file order
    titles.reserve(size_t(main->games().count()));
    for (const auto& game : main->games())
        titles.push_back(game->Description);
    std::vector<QString> sorted;
    const auto sortTitles = [&] {
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return GameListModel::compareText(a, b) < 0;
        });
    };

    // Each fill also leaves layout and painting to the event loop; that part is timed
    // on its own, so the figure stays the fill itself.
    std::vector<double> pending;
    bool filled = false;
    const Timings t = compareMedians(
        options.reps,
        [&] {
            main->FillGameList();
            filled = true;
        },
        sortTitles,
        [&] {
            if (filled)
                pending.push_back(timeMs(settle));
            filled = false;
            sorted = titles;
        });
    const int rows = main->listModel()->rowCount();
    if (rows != summary.games)
        std::printf("  MISMATCH: the list shows %d rows (expected %d)\n", rows, summary.games);
    const QString extra = QStringLiteral(", then %1 of pending events; start-up in process %2")
                              .arg(fmtMs(skbench::median(pending)), fmtMs(startupMs));
    reportLine("FillGameList (Details, by Name) / stable_sort titles", t.ratio(), 5,
               details("fill", "baseline", t) + extra.toStdString());
    if (prompter.shown > 0)
        std::printf("  note: the front-end showed %d message(s) during start-up\n", prompter.shown);
    main.reset();
    skbench::resetFrontEndFiles(options.dir.toStdString());
}

// The fills of the Recently Played and Favourite Games lists against the fill of all
// games, in the Details style sorted by Name, with a tenth of the games (4,000 of 40,000)
// marked as favourites and played.
void benchFilters(const Options& options, const skbench::CatalogSummary& summary) {
    skbench::resetFrontEndFiles(options.dir.toStdString());
    AutoPrompter prompter;
    NoOpener opener;
    std::unique_ptr<TMain1> main;
    {
        SilencedStdout quiet;
        main = std::make_unique<TMain1>(prompter, opener);
    }
    if (main->games().count() != summary.games) {
        std::printf("  MISMATCH: the window started with %lld games (expected %d)\n",
                    (long long)main->games().count(), summary.games);
        return;
    }
    main->show();
    settle();
    main->findChild<QAction*>(QStringLiteral("MSIconsDetails"))->trigger();
    main->findChild<QAction*>(QStringLiteral("MSSortbyName"))->trigger();
    int marked = 0;
    for (TGameObject* game : main->games()) {
        if (marked++ % 10 != 0)
            continue;
        game->Favourite = true;
        game->PlayCount = 1 + marked % 7;
        game->LastPlayed = 1'700'000'000 + (marked * 7919) % 1'000'000;
        game->PlayTime = marked % 5000;
    }
    const auto fillWith = [&](const char* filter) {
        main->findChild<QAction*>(QLatin1StringView(filter))->setChecked(true);
        main->FillGameList();
        return main->listModel()->rowCount();
    };
    int recentShown = 0;
    int favouritesShown = 0;
    int allShown = 0;
    const Timings recent = compareMedians(
        options.reps, [&] { recentShown = fillWith("MenuRecentGames"); },
        [&] { allShown = fillWith("MSGamesAll"); }, settle);
    const Timings favourites = compareMedians(
        options.reps, [&] { favouritesShown = fillWith("MenuFavouriteGames"); },
        [&] { allShown = fillWith("MSGamesAll"); }, settle);
    reportLine(
        "Recently Played fill / All Games fill", recent.ratio(), 1,
        details("recent", "all", recent) +
            QStringLiteral(", %1 and %2 games shown").arg(recentShown).arg(allShown).toStdString());
    reportLine("Favourite Games fill / All Games fill", favourites.ratio(), 1,
               details("favourites", "all", favourites) + QStringLiteral(", %1 and %2 games shown")
                                                              .arg(favouritesShown)
                                                              .arg(allShown)
                                                              .toStdString());
    main.reset();
    skbench::resetFrontEndFiles(options.dir.toStdString());
}

qint64 countGameSections(const QString& path);

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::printf("  cannot write %s\n", qPrintable(path));
}

// The start-up in process on a front-end directory that a first start and a close have
// left (list file, settings with a section per game): with its settings, against the
// same start-up whose settings hold only the front-end's own section, and against
// reading both files once. Then the close, whose settings save is timed against
// writing the same bytes with QSaveFile.
void benchStartup(const Options& options, const skbench::CatalogSummary& summary) {
    skbench::resetFrontEndFiles(options.dir.toStdString());
    AutoPrompter prompter;
    NoOpener opener;
    const QString settingsPath = options.dir + QStringLiteral("/StartKALTO.ini");
    const QString listPath = options.dir + QStringLiteral("/listinfo.txt");
    {
        SilencedStdout quiet;
        TMain1 first(prompter, opener);
        first.close();
    }
    const QByteArray fullSettings = readAll(settingsPath);
    // The front-end's own sections (all but the games'), so that the start-up without
    // game sections finds the same settings and asks nothing the full one does not.
    QByteArray ownSection;
    {
        const IniDocument full(settingsPath);
        IniDocument own = IniDocument::emptyFor(settingsPath);
        full.forEachSectionName([&](QStringView name) {
            if (full.keyExists(name, u"BadRomcheck"))
                return;
            full.forEachKey(name, [&](QStringView key, QStringView value) {
                own.writeString(name, key, value);
            });
        });
        ownSection = own.serialize();
    }
    const qint64 sections = countGameSections(settingsPath);
    if (sections != summary.games || !QFileInfo::exists(listPath)) {
        std::printf("  MISMATCH: the first start left %lld game sections (expected %d)\n",
                    (long long)sections, summary.games);
        return;
    }

    std::unique_ptr<TMain1> main;
    int shownGames = -1;
    const auto startUp = [&] {
        main = std::make_unique<TMain1>(prompter, opener);
        shownGames = main->listModel()->rowCount();
    };
    const auto withSettings = [&] {
        main.reset();
        writeAll(settingsPath, fullSettings);
    };
    // The launch script echoes to the standard output it inherits.
    auto quiet = std::make_unique<SilencedStdout>();
    std::vector<double> full, own;
    for (int i = 0; i <= options.reps; ++i) {
        withSettings();
        const double a = timeMs(startUp);
        main.reset();
        writeAll(settingsPath, ownSection);
        const double b = timeMs(startUp);
        if (i > 0) { // the first round warms the caches
            full.push_back(a);
            own.push_back(b);
        }
    }
    const Timings settingsCost{skbench::median(full), skbench::median(own)};
    qint64 lines = 0;
    const Timings whole = compareMedians(
        options.reps, [&] { startUp(); },
        [&] { lines = readAndCountLines(listPath) + readAndCountLines(settingsPath); },
        withSettings);

    // The close: hide, the whole settings save, the work files, the list freed.
    std::vector<double> closes;
    std::vector<double> teardowns;
    std::vector<double> plainWrites;
    QByteArray saved;
    for (int i = 0; i <= options.reps; ++i) {
        withSettings();
        startUp();
        const double c = timeMs([&] { main->close(); });
        const double d = timeMs([&] { main.reset(); });
        saved = readAll(settingsPath);
        const double w = timeMs([&] {
            QSaveFile file(settingsPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(saved) != saved.size() ||
                !file.commit())
                std::printf("  cannot write %s\n", qPrintable(settingsPath));
        });
        if (i > 0) {
            closes.push_back(c);
            teardowns.push_back(d);
            plainWrites.push_back(w);
        }
    }
    const Timings close{skbench::median(closes), skbench::median(plainWrites)};
    main.reset();
    quiet.reset();
    if (shownGames != summary.games || saved.size() != fullSettings.size())
        std::printf("  MISMATCH: %d games shown (expected %d); the close saved %lld bytes "
                    "(the first close %lld)\n",
                    shownGames, summary.games, (long long)saved.size(),
                    (long long)fullSettings.size());

    reportLine(
        "start-up with 40k game sections / with the front-end sections only", settingsCost.ratio(),
        1.2,
        details("with", "without", settingsCost) +
            QStringLiteral(", settings %1 kB").arg(fullSettings.size() / 1024).toStdString());
    reportLine("start-up in process / read list and settings, count lines", whole.ratio(), 10,
               details("start-up", "baseline", whole) +
                   QStringLiteral(", %1 lines").arg(lines).toStdString());
    reportLine("close (settings save) / QSaveFile of the same bytes", close.ratio(), 3,
               details("close", "QSaveFile", close) +
                   QStringLiteral("; then the window and its records freed in %1")
                       .arg(fmtMs(skbench::median(teardowns)))
                       .toStdString());
    if (prompter.shown > 0)
        std::printf("  note: the front-end showed %d message(s)\n", prompter.shown);
    skbench::resetFrontEndFiles(options.dir.toStdString());
}

// Narrowing the list by the search field, one keystroke at a time, against a fill of
// the same list. The first keystroke after a fill also folds every game's texts.
void benchSearch(const Options& options, const skbench::CatalogSummary& summary) {
    skbench::resetFrontEndFiles(options.dir.toStdString());
    AutoPrompter prompter;
    NoOpener opener;
    std::unique_ptr<TMain1> main;
    {
        SilencedStdout quiet;
        main = std::make_unique<TMain1>(prompter, opener);
    }
    main->show();
    settle();
    auto* search = main->findChild<QLineEdit*>(QStringLiteral("GameSearch"));
    if (!search || main->games().count() != summary.games) {
        std::printf("  MISMATCH: no search field, or %lld games\n",
                    (long long)main->games().count());
        return;
    }
    int shown = 0;
    const Timings t = compareMedians(
        options.reps,
        [&] {
            search->setText(QStringLiteral("a"));
            shown = main->listModel()->rowCount();
        },
        [&] { main->FillGameList(); },
        [&] {
            search->clear();
            main->FillGameList(); // the keys folded by the last keystroke are gone
            settle();
        });
    // Typing on: each further keystroke narrows the list of the one before.
    std::vector<double> further;
    for (int i = 0; i < options.reps; ++i) {
        search->clear();
        settle();
        const QString word = QStringLiteral("gal");
        for (qsizetype n = 1; n <= word.size(); ++n) {
            const double ms = timeMs([&] { search->setText(word.left(n)); });
            if (n > 1)
                further.push_back(ms);
        }
    }
    // A maker: term against a plain word, each the keystroke that narrows the whole list.
    int makerShown = 0;
    int plainShown = 0;
    const Timings byMaker = compareMedians(
        options.reps,
        [&] {
            search->setText(QStringLiteral("maker:a"));
            makerShown = main->listModel()->rowCount();
        },
        [&] {
            search->setText(QStringLiteral("a"));
            plainShown = main->listModel()->rowCount();
        },
        [&] {
            search->clear();
            main->FillGameList();
            settle();
        });
    search->clear();
    reportLine("one keystroke (search \"a\") / FillGameList", t.ratio(), 1,
               details("keystroke", "fill", t) +
                   QStringLiteral(", %1 games shown; a further keystroke %2")
                       .arg(shown)
                       .arg(fmtMs(skbench::median(further)))
                       .toStdString());
    reportLine("one keystroke of a maker: search / one keystroke of a plain search",
               byMaker.ratio(), 1.5,
               details("\"maker:a\"", "\"a\"", byMaker) + QStringLiteral(", %1 and %2 games shown")
                                                              .arg(makerShown)
                                                              .arg(plainShown)
                                                              .toStdString());
    main.reset();
    skbench::resetFrontEndFiles(options.dir.toStdString());
}

// Reads "<key>: <n> kB" from /proc/<pid>/status.
qint64 statusKb(qint64 pid, const char* key) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// User plus system time in clock ticks, from /proc/<pid>/stat.
qint64 cpuTicks(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = file.readAll();
    // The command name is in parentheses and may hold blanks: count fields after it.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    // fields[0] is field 3 (state); utime and stime are fields 14 and 15.
    if (fields.size() < 13)
        return -1;
    return fields[11].toLongLong() + fields[12].toLongLong();
}

// The games' own sections of a settings file (each holds a "BadRomcheck" line); 0 when
// the file cannot be read.
qint64 countGameSections(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 sections = 0;
    while (!file.atEnd()) {
        if (file.readLine().startsWith("BadRomcheck="))
            ++sections;
    }
    return sections;
}

QString tail(const QString& path, int maxLines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() > maxLines)
        lines = lines.mid(lines.size() - maxLines);
    return lines.join(QStringLiteral("\n    "));
}

void benchMemory(const Options& options, const skbench::CatalogSummary& summary) {
    skbench::resetFrontEndFiles(options.dir.toStdString());
    const QString listFile = options.dir + QStringLiteral("/listinfo.txt");
    const QString errorLog =
        QFileInfo(options.dir).absolutePath() + QStringLiteral("/startkalto-stderr.log");

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("KALTO_SIM_CATALOG"),
               options.dir + u'/' + QLatin1StringView(skbench::kCatalogFile));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(options.dir);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(errorLog);
    process.setProgram(QStringLiteral(STARTKALTO_PATH));

    QElapsedTimer clock;
    clock.start();
    process.start();
    if (!process.waitForStarted(30000)) {
        std::printf("  cannot start %s: %s\n", STARTKALTO_PATH, qPrintable(process.errorString()));
        return;
    }
    const qint64 pid = process.processId();

    // Idle: the list file exists and the CPU time has stood still for a second.
    constexpr int kPollMs = 50;
    constexpr qint64 kQuietMs = 1000;
    constexpr qint64 kTimeoutMs = 300000;
    qint64 lastTicks = -1;
    qint64 quietSince = -1;
    qint64 hwmKb = -1;
    qint64 idleAtMs = -1;
    while (process.state() == QProcess::Running && clock.elapsed() < kTimeoutMs) {
        const qint64 ticks = cpuTicks(pid);
        hwmKb = std::max(hwmKb, statusKb(pid, "VmHWM"));
        if (!QFileInfo::exists(listFile) || ticks != lastTicks) {
            quietSince = -1;
        } else if (quietSince < 0) {
            quietSince = clock.elapsed();
        } else if (clock.elapsed() - quietSince >= kQuietMs) {
            idleAtMs = quietSince;
            break;
        }
        lastTicks = ticks;
        process.waitForFinished(kPollMs);
    }
    if (idleAtMs < 0) {
        std::printf("  StartKALTO %s before it went idle (after %.1f s)\n",
                    process.state() == QProcess::Running ? "did not settle" : "ended",
                    double(clock.elapsed()) / 1000);
        std::printf("    %s\n", qPrintable(tail(errorLog, 10)));
        process.kill();
        process.waitForFinished(10000);
        return;
    }
    const qint64 cpuMs = lastTicks * 1000 / ::sysconf(_SC_CLK_TCK);

    process.terminate(); // SIGTERM: the program closes its window the normal way
    const bool ended = process.waitForFinished(60000);
    QString exit;
    if (!ended) {
        exit = QStringLiteral("did not end within 60 s of SIGTERM");
        process.kill();
        process.waitForFinished(10000);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        exit = QStringLiteral("crashed after SIGTERM");
    } else {
        exit = QStringLiteral("exit code %1 after SIGTERM").arg(process.exitCode());
        // The settings hold a section per game: proof that the whole list was loaded.
        const qint64 saved = countGameSections(options.dir + QStringLiteral("/StartKALTO.ini"));
        exit += QStringLiteral(", settings saved for %1 games").arg(saved);
        if (saved != summary.games)
            std::printf("  MISMATCH: settings saved for %lld games (expected %d)\n",
                        (long long)saved, summary.games);
    }
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        std::printf("  StartKALTO %s\n    %s\n", qPrintable(exit), qPrintable(tail(errorLog, 10)));

    const double mb = double(hwmKb) / 1024;
    reportLine("StartKALTO peak resident memory (MB)", mb, 150,
               QStringLiteral("VmHWM %1 kB; idle after %2 s, %3 s CPU; %4")
                   .arg(hwmKb)
                   .arg(double(idleAtMs) / 1000, 0, 'f', 1)
                   .arg(double(cpuMs) / 1000, 0, 'f', 1)
                   .arg(exit)
                   .toStdString());
    skbench::resetFrontEndFiles(options.dir.toStdString());
    QFile::remove(errorLog);
}

// A front-end directory as a start finds it after earlier runs: the list file, and the
// settings that a close wrote, in which every `every`-th game has been marked a
// favourite and played. Returns how many games got that history; -1 on failure.
int prepareStartedDirectory(const QString& dir, int every) {
    skbench::resetFrontEndFiles(dir.toStdString());
    const QString previous = QDir::currentPath();
    const QByteArray previousCatalog = qgetenv("KALTO_SIM_CATALOG");
    if (!QDir::setCurrent(dir))
        return -1;
    qputenv("KALTO_SIM_CATALOG",
            QFile::encodeName(dir + u'/' + QLatin1StringView(skbench::kCatalogFile)));
    {
        AutoPrompter prompter;
        NoOpener opener;
        SilencedStdout quiet;
        TMain1 first(prompter, opener);
        first.close();
    }
    QDir::setCurrent(previous);
    qputenv("KALTO_SIM_CATALOG", previousCatalog);

    const QString settingsPath = dir + QStringLiteral("/StartKALTO.ini");
    IniDocument ini(settingsPath);
    int games = 0;
    int played = 0;
    for (const QString& section : ini.sectionNames()) {
        if (!ini.keyExists(section, u"BadRomcheck") || games++ % every != 0)
            continue;
        const int n = played++;
        ini.writeBool(section, u"Favourite", true);
        ini.writeInteger(section, u"PlayCount", 1 + n % 37);
        ini.writeString(section, u"LastPlayed",
                        QStringLiteral("2025-%1-%2T%3:%4:%5Z")
                            .arg(1 + n % 12, 2, 10, QLatin1Char('0'))
                            .arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                            .arg(n % 24, 2, 10, QLatin1Char('0'))
                            .arg(n % 60, 2, 10, QLatin1Char('0'))
                            .arg(n * 7 % 60, 2, 10, QLatin1Char('0')));
        ini.writeInteger(section, u"PlayTime", 30 + n * 131 % 90000);
    }
    ini.save();
    return played;
}

struct ProcessStart {
    double ms = -1;    // to the line that says the list is shown
    double cpuMs = -1; // the processor time the program had used by then
    QString caption;   // the window's caption at that moment
};

// Starts StartKALTO in `dir` and times it until it says that its window has painted
// the filled list; it ends by itself then, without saving.
ProcessStart timeProcessStart(const QString& dir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("STARTKALTO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("KALTO_SIM_CATALOG"),
               dir + u'/' + QLatin1StringView(skbench::kCatalogFile));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);
    process.setProgram(QStringLiteral(STARTKALTO_PATH));

    // "StartKALTO shown after <ms> ms of processor time: <caption>"
    static const QRegularExpression kShown(
        QStringLiteral("StartKALTO shown after ([0-9.]+) ms of processor time: ([^\n]*)\n"));
    ProcessStart result;
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    process.start();
    while (process.waitForReadyRead(60000)) {
        said += process.readAllStandardError();
        const QRegularExpressionMatch match = kShown.match(QString::fromUtf8(said));
        if (match.hasMatch()) {
            result.ms = double(clock.nsecsElapsed()) / 1e6;
            result.cpuMs = match.captured(1).toDouble();
            result.caption = match.captured(2);
            break;
        }
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(10000);
    }
    if (result.ms < 0)
        std::printf("  StartKALTO did not say that it showed its list:\n    %s\n",
                    qPrintable(QString::fromLocal8Bit(said + process.readAllStandardError())
                                   .trimmed()
                                   .replace(u'\n', QStringLiteral("\n    "))));
    return result;
}

// The whole program as the user starts it, to its painted list: on the 40,000 games
// with their history against the same program on a list of three games.
void benchProcessStart(const Options& options, const skbench::CatalogSummary& summary) {
    const QString smallDir = QFileInfo(options.dir).absolutePath() + QStringLiteral("/catalog-3");
    skbench::CatalogParams smallParams;
    smallParams.games = 3;
    smallParams.zipFiles = 2;
    smallParams.romsetDirectories = 0;
    smallParams.gamesWithCheats = 1;
    smallParams.emptyCheatSections = 0;
    skbench::CatalogSummary smallSummary;
    bool reused = false;
    std::string error;
    if (!skbench::ensureCatalog(smallDir.toStdString(), smallParams, KALTO_SIM_PATH, smallSummary,
                                reused, error)) {
        std::printf("  cannot make %s: %s\n", qPrintable(smallDir), error.c_str());
        return;
    }
    const int played = prepareStartedDirectory(options.dir, 10);
    const int smallPlayed = prepareStartedDirectory(smallDir, 2);
    if (played < 0 || smallPlayed < 0) {
        std::printf("  MISMATCH: the front-end directories could not be prepared\n");
        return;
    }
    const auto stamp = [](const QString& dir) {
        const QFileInfo list(dir + QStringLiteral("/listinfo.txt"));
        const QFileInfo settings(dir + QStringLiteral("/StartKALTO.ini"));
        return std::pair(list.lastModified(), settings.lastModified());
    };
    const auto before = stamp(options.dir);
    const auto smallBefore = stamp(smallDir);

    // The clock runs inside each start, so the samples are taken by hand: one start of
    // each to warm the caches, then the two alternately.
    ProcessStart large = timeProcessStart(options.dir);
    ProcessStart small = timeProcessStart(smallDir);
    std::vector<double> largeMs, smallMs, largeCpu, smallCpu;
    for (int i = 0; i < options.reps && large.ms >= 0 && small.ms >= 0; ++i) {
        large = timeProcessStart(options.dir);
        small = timeProcessStart(smallDir);
        largeMs.push_back(large.ms);
        smallMs.push_back(small.ms);
        largeCpu.push_back(large.cpuMs);
        smallCpu.push_back(small.cpuMs);
    }
    const Timings t{skbench::median(largeMs), skbench::median(smallMs)};
    const Timings cpu{skbench::median(largeCpu), skbench::median(smallCpu)};
    // The figure stands for the start that users meet only when neither start asked the
    // emulator for its list or saved, and both showed every game.
    const QString full = QStringLiteral("[%1 of %1 games]");
    if (!large.caption.endsWith(full.arg(summary.games)) ||
        !small.caption.endsWith(full.arg(smallSummary.games)) || stamp(options.dir) != before ||
        stamp(smallDir) != smallBefore)
        std::printf("  MISMATCH: captions \"%s\" and \"%s\", or a start wrote its files\n",
                    qPrintable(large.caption), qPrintable(small.caption));
    reportLine("StartKALTO process to its painted list, 40k games / 3 games", t.ratio(), 2.2,
               details("40k games", "3 games", t) +
                   QStringLiteral(", %1 games with favourites and play history; processor "
                                  "time %2 and %3, ratio %4")
                       .arg(played)
                       .arg(fmtMs(cpu.subject), fmtMs(cpu.baseline))
                       .arg(cpu.ratio(), 0, 'f', 2)
                       .toStdString());
    skbench::resetFrontEndFiles(options.dir.toStdString());
    skbench::resetFrontEndFiles(smallDir.toStdString());
}

struct ProcessClose {
    double ms = -1;  // from the signal to the end of the process
    QString failure; // why there is no figure, or the program did not end well
};

// Starts StartKALTO in `dir`, lets it show its filled list and settle, then sends it
// SIGTERM and times it until its process has ended: the close the desktop asks for at
// the end of a session (the settings saved, the window and its records freed).
ProcessClose timeProcessClose(const QString& dir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("STARTKALTO_SAY_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("KALTO_SIM_CATALOG"),
               dir + u'/' + QLatin1StringView(skbench::kCatalogFile));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setReadChannel(QProcess::StandardError);
    process.setProgram(QStringLiteral(STARTKALTO_PATH));

    ProcessClose result;
    QByteArray said;
    process.start();
    while (!said.contains("StartKALTO shown after") && process.waitForReadyRead(60000))
        said += process.readAllStandardError();
    if (!said.contains("StartKALTO shown after")) {
        result.failure = QStringLiteral("it did not say that it showed its list: ") +
                         QString::fromLocal8Bit(said).trimmed();
        process.kill();
        process.waitForFinished(10000);
        return result;
    }
    // Settled: its processor time has stood still for a while, so that nothing the
    // start left to the event loop is timed with the close.
    const qint64 pid = process.processId();
    QElapsedTimer idle;
    idle.start();
    for (qint64 ticks = -1; idle.elapsed() < 300;) {
        process.waitForFinished(20);
        const qint64 now = cpuTicks(pid);
        if (now != ticks)
            idle.restart();
        ticks = now;
    }
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(pid), SIGTERM);
    const bool ended = process.waitForFinished(60000);
    result.ms = double(clock.nsecsElapsed()) / 1e6;
    if (!ended) {
        result.failure = QStringLiteral("it did not end within 60 s of SIGTERM");
        process.kill();
        process.waitForFinished(10000);
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        result.failure = QStringLiteral("it ended with status %1 (%2)")
                             .arg(process.exitCode())
                             .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
    }
    return result;
}

// The whole program's close, from a termination signal to the end of its process: on
// the 40,000 games with their history against the same program on three games.
void benchProcessClose(const Options& options, const skbench::CatalogSummary& summary) {
    const QString smallDir = QFileInfo(options.dir).absolutePath() + QStringLiteral("/catalog-3");
    skbench::CatalogParams smallParams;
    smallParams.games = 3;
    smallParams.zipFiles = 2;
    smallParams.romsetDirectories = 0;
    smallParams.gamesWithCheats = 1;
    smallParams.emptyCheatSections = 0;
    skbench::CatalogSummary smallSummary;
    bool reused = false;
    std::string error;
    if (!skbench::ensureCatalog(smallDir.toStdString(), smallParams, KALTO_SIM_PATH, smallSummary,
                                reused, error)) {
        std::printf("  cannot make %s: %s\n", qPrintable(smallDir), error.c_str());
        return;
    }
    const int played = prepareStartedDirectory(options.dir, 10);
    const int smallPlayed = prepareStartedDirectory(smallDir, 2);
    if (played < 0 || smallPlayed < 0) {
        std::printf("  MISMATCH: the front-end directories could not be prepared\n");
        return;
    }
    // One close of each to warm the caches, then the two alternately.
    ProcessClose large = timeProcessClose(options.dir);
    ProcessClose small = timeProcessClose(smallDir);
    // What a close saved; each later close saves what its start read, the same bytes.
    const QString settings = QStringLiteral("/StartKALTO.ini");
    const QByteArray before = readAll(options.dir + settings);
    const QByteArray smallBefore = readAll(smallDir + settings);
    std::vector<double> largeMs, smallMs;
    for (int i = 0; i < options.reps && large.failure.isEmpty() && small.failure.isEmpty(); ++i) {
        large = timeProcessClose(options.dir);
        small = timeProcessClose(smallDir);
        largeMs.push_back(large.ms);
        smallMs.push_back(small.ms);
    }
    for (const ProcessClose* close : {&large, &small}) {
        if (!close->failure.isEmpty())
            std::printf("  StartKALTO on %s games: %s\n", close == &large ? "40k" : "3",
                        qPrintable(close->failure));
    }
    const qint64 saved = countGameSections(options.dir + settings);
    if (saved != summary.games || readAll(options.dir + settings) != before ||
        readAll(smallDir + settings) != smallBefore)
        std::printf("  MISMATCH: the closes saved settings for %lld games (expected %d), or "
                    "changed them\n",
                    (long long)saved, summary.games);
    const Timings t{skbench::median(largeMs), skbench::median(smallMs)};
    reportLine("StartKALTO process from SIGTERM to its end, 40k games / 3 games", t.ratio(), 2,
               details("40k games", "3 games", t) +
                   QStringLiteral(", %1 games with favourites and play history")
                       .arg(played)
                       .toStdString());
    skbench::resetFrontEndFiles(options.dir.toStdString());
    skbench::resetFrontEndFiles(smallDir.toStdString());
}

// The offscreen platform warns about every top-level window it cannot size-hint;
// that says nothing about the program and would clutter the report.
void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.contains(QLatin1StringView("propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filterMessages);
    QApplication app(argc, argv);
    const std::optional<Options> parsed = parseOptions(QCoreApplication::arguments());
    if (!parsed) {
        usage();
        return 2;
    }
    const Options& options = *parsed;

    skbench::CatalogSummary summary;
    bool reused = false;
    std::string error;
    const double generationMs = timeMs([&] {
        if (!skbench::ensureCatalog(options.dir.toStdString(), skbench::CatalogParams(),
                                    KALTO_SIM_PATH, summary, reused, error))
            summary.games = -1;
    });
    if (summary.games < 0) {
        std::fprintf(stderr, "bench_gamelist: %s\n", error.c_str());
        return 1;
    }
    std::printf("catalog: %d games (%d clones), %.1f MB list file of %lld lines; %d zip files "
                "and %d romset directories, %d games installed (%d by parent name only), "
                "%d with cheats\n",
                summary.games, summary.clones, double(summary.catalogBytes) / (1024 * 1024),
                summary.catalogLines, summary.zipFiles, summary.romsetDirectories,
                summary.installed, summary.byParentOnly, summary.withCheats);
    std::printf("  %s %s in %.2f s; %d repetitions per side, medians\n",
                reused ? "reused" : "generated", qPrintable(options.dir), generationMs / 1000,
                options.reps);
    std::fflush(stdout);
    if (options.generateOnly)
        return 0;

    // The front-end works in its directory: relative rom paths and the list file
    // are resolved there.
    if (!QDir::setCurrent(options.dir)) {
        std::fprintf(stderr, "bench_gamelist: cannot enter %s\n", qPrintable(options.dir));
        return 1;
    }
    qputenv("KALTO_SIM_CATALOG",
            QFile::encodeName(options.dir + u'/' + QLatin1StringView(skbench::kCatalogFile)));

    if (options.wants("import"))
        benchImport(options, summary);
    if (options.wants("flags"))
        benchUpdateFlags(options, summary);
    if (options.wants("fill"))
        benchFill(options, summary);
    if (options.wants("filters"))
        benchFilters(options, summary);
    if (options.wants("startup"))
        benchStartup(options, summary);
    if (options.wants("search"))
        benchSearch(options, summary);
    if (options.wants("memory"))
        benchMemory(options, summary);
    if (options.wants("process"))
        benchProcessStart(options, summary);
    if (options.wants("close"))
        benchProcessClose(options, summary);
    return 0;
}
