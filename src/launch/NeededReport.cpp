#include "NeededReport.h"

#include "core/AtomicFile.h"
#include "core/PathSet.h"
#include "core/Platform.h"

#include <array>
#include <cstdint>

namespace {

enum Section { Uninstalled, Bad, Titles, Gameplay, Flyers, Marquees, Cabinets, Midi, Count };

// Appends the text as UTF-8; plain ASCII, the usual case, without a conversion.
void appendUtf8(QByteArray& bytes, QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            bytes.append(text.toUtf8());
            return;
        }
    }
    const qsizetype at = bytes.size();
    bytes.resize(at + text.size());
    char* out = bytes.data() + at;
    for (const QChar c : text)
        *out++ = char(c.unicode());
}

char16_t folded(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u;
    return c.toLower().unicode();
}

// Games by their zip name without regard to case: an open-addressing table over the
// names themselves, so that a folder's files are looked up without making a string for
// each (a report for forty thousand games looks up some hundred thousand names). Games
// whose names are alike form a chain from the first of them.
class ZipIndex {
public:
    explicit ZipIndex(const std::vector<NeededGame>& games)
        : m_games(games), m_next(games.size(), -1) {
        size_t size = 16;
        while (size < games.size() * 2)
            size *= 2;
        m_slots.assign(size, -1);
        m_mask = size - 1;
        std::vector<int> last(games.size(), -1); // per chain head: its last game
        for (size_t i = 0; i < games.size(); ++i) {
            const QStringView zip = games[i].zipName;
            m_dotted = m_dotted || zip.contains(u'.');
            size_t slot = hash(zip) & m_mask;
            while (m_slots[slot] >= 0 && !equal(games[size_t(m_slots[slot])].zipName, zip))
                slot = (slot + 1) & m_mask;
            const int head = m_slots[slot];
            if (head < 0) {
                m_slots[slot] = int(i);
                last[i] = int(i);
            } else {
                m_next[size_t(last[size_t(head)])] = int(i);
                last[size_t(head)] = int(i);
            }
        }
    }

    // The first game whose zip name is text (without regard to case), or -1; next()
    // gives the others of that name.
    int find(QStringView text) const {
        for (size_t slot = hash(text) & m_mask; m_slots[slot] >= 0; slot = (slot + 1) & m_mask) {
            if (equal(m_games[size_t(m_slots[slot])].zipName, text))
                return m_slots[slot];
        }
        return -1;
    }
    int next(int game) const { return m_next[size_t(game)]; }

    // Marks every game whose zip name is text.
    void mark(QStringView text, std::vector<bool>& has) const {
        for (int game = find(text); game >= 0; game = next(game))
            has[size_t(game)] = true;
    }

    // Whether a zip name holds a dot: only then can a name's later dots end a zip name.
    bool dotted() const { return m_dotted; }

private:
    static size_t hash(QStringView text) {
        uint32_t h = 2166136261u; // FNV-1a over the folded characters
        for (const QChar c : text)
            h = (h ^ folded(c)) * 16777619u;
        return h;
    }
    static bool equal(QStringView a, QStringView b) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (folded(a[i]) != folded(b[i]))
                return false;
        }
        return true;
    }

    const std::vector<NeededGame>& m_games;
    std::vector<int> m_next;
    std::vector<int> m_slots;
    size_t m_mask = 0;
    bool m_dotted = false;
};

// Marks every game that has a file in dir named zip + "." + any extension: for each
// name, each text before one of its dots may be the zip name.
void markPictures(const QString& dir, const ZipIndex& zips, std::vector<bool>& has) {
    platform::listDirectory(dir, [&](QStringView name, platform::EntryKind) {
        for (qsizetype dot = name.indexOf(u'.', 1); dot > 0; dot = name.indexOf(u'.', dot + 1)) {
            zips.mark(name.first(dot), has);
            if (!zips.dotted())
                break;
        }
    });
}

void markMusic(const QString& dir, const ZipIndex& zips, std::vector<bool>& has) {
    platform::listDirectory(dir, [&](QStringView name, platform::EntryKind) {
        if (name.size() > 4 && name.endsWith(u".mid", Qt::CaseInsensitive))
            zips.mark(name.chopped(4), has);
    });
}

} // namespace

QByteArray NeededReportText(const std::vector<NeededGame>& games, const PathSet& paths,
                            const QString& heading) {
    const ZipIndex zips(games);
    struct Folder {
        Section section;
        QString dir;
        std::vector<bool> has;
    };
    std::array<Folder, 5> folders = {{{Titles, paths.TitlesDir, {}},
                                      {Flyers, paths.FlyersDir, {}},
                                      {Marquees, paths.MarqueesDir, {}},
                                      {Cabinets, paths.CabinetsDir, {}},
                                      {Gameplay, paths.GameplayDir, {}}}};
    for (Folder& folder : folders) {
        folder.has.assign(games.size(), false);
        markPictures(folder.dir, zips, folder.has);
    }
    std::vector<bool> hasMusic(games.size(), false);
    markMusic(paths.SoundDir, zips, hasMusic);

    // Each section is one growing text of bytes: forty thousand games make a few
    // hundred thousand lines, which as separate strings would cost more than the rest.
    std::array<QByteArray, Count> sections;
    std::array<qsizetype, Count> counts = {};
    for (QByteArray& section : sections)
        section.reserve(qsizetype(games.size()) * 72);
    QByteArray prefix;
    for (size_t i = 0; i < games.size(); ++i) {
        const NeededGame& game = games[i];
        // "%-40.40s | " and the zip name, made once for the game's lines.
        const QStringView title = QStringView(game.title).left(40);
        prefix.clear();
        appendUtf8(prefix, title);
        prefix.append(40 - title.size(), ' ');
        prefix.append(" | ");
        appendUtf8(prefix, game.zipName);
        const auto add = [&](Section section, QByteArrayView ending) {
            QByteArray& text = sections[section];
            text.append(prefix);
            text.append(ending);
            ++counts[section];
        };
        if (!game.installed)
            add(Uninstalled, ".zip\r\n");
        else if (game.badRomset)
            add(Bad, ".zip\r\n");
        for (const Folder& folder : folders) {
            if (!folder.has[i])
                add(folder.section, ".jpg/pcx/png/bmp\r\n");
        }
        if (!hasMusic[i])
            add(Midi, ".mid\r\n");
    }

    const std::array<QString, Count> headings = {
        QStringLiteral(" Uninstalled roms"),
        QStringLiteral(" Bad romsets"),
        QStringLiteral(" Missing Titles in directory ") + paths.TitlesDir,
        QStringLiteral(" Missing Gameplayshots in directory ") + paths.GameplayDir,
        QStringLiteral(" Missing Flyers in directory ") + paths.FlyersDir,
        QStringLiteral(" Missing Marquees in directory ") + paths.MarqueesDir,
        QStringLiteral(" Missing Cabinets in directory ") + paths.CabinetsDir,
        QStringLiteral(" Missing Midi-files in directory ") + paths.SoundDir,
    };
    qsizetype size = 4096;
    for (const QByteArray& section : sections)
        size += section.size();
    QByteArray report;
    report.reserve(size);
    report += heading.toUtf8() + "\r\n \r\n--\r\n";
    for (int i = 0; i < Count; ++i) {
        report +=
            QByteArray::number(counts[size_t(i)]) + headings[size_t(i)].toUtf8() + "\r\n \r\n";
        report += sections[size_t(i)];
        report += i + 1 < Count ? "--\r\n \r\n--\r\n" : "--\r\n";
    }
    return report;
}

QString NeededReportFile(const PathSet& paths) {
    return paths.FrontEndDir + QStringLiteral("needed.txt");
}

QString WriteNeededReport(const std::vector<NeededGame>& games, const PathSet& paths,
                          const QString& heading) {
    const QString path = NeededReportFile(paths);
    writeFileAtomically(path, NeededReportText(games, paths, heading));
    return path;
}
