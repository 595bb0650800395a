#include "RomcheckResults.h"

#include "GameObject.h"
#include "ListInfoImport.h"
#include "core/FileError.h"

#include <QFile>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// The game a result line names: the text before its verdict. The emulator pads the
// name with blanks up to the bar, and a name may hold blanks of its own.
QByteArrayView namedSet(QByteArrayView line) {
    qsizetype bar = line.lastIndexOf(" | ");
    if (bar < 0)
        bar = line.lastIndexOf('|');
    return trimmed(line.first(bar));
}

void clearMarks(TGameObject& game) {
    game.BadRomcheck = false;
    game.GoodRomcheck = false;
}

} // namespace

void ApplyRomcheckReport(TGameObjectList& games, QByteArrayView report, QStringView checkedZip) {
    TGameObject* checked = nullptr;
    if (checkedZip.isEmpty()) {
        for (TGameObject* game : games)
            clearMarks(*game);
    } else {
        checked = games.FindGame(checkedZip);
    }
    bool checkedNamed = false;
    report = withoutByteOrderMark(report);
    qsizetype pos = 0;
    while (pos < report.size()) {
        qsizetype end = pos;
        while (end < report.size() && report[end] != '\n' && report[end] != '\r')
            ++end;
        const QByteArrayView line = trimmed(report.sliced(pos, end - pos));
        pos = end + 1;
        if (!line.contains('|'))
            continue;
        // Names are read as the list gave them, so that a name beyond ASCII matches.
        TGameObject* game = games.FindGame(decodeEmulatorText(namedSet(line)));
        if (!game)
            continue;
        checkedNamed = checkedNamed || game == checked;
        game->BadRomcheck = line.contains("| BAD");
        game->GoodRomcheck = !game->BadRomcheck;
        if (!game->BadRomcheck)
            game->Installed = true;
    }
    if (checked && !checkedNamed)
        clearMarks(*checked);
}

void ReadRomcheckResults(TGameObjectList& games, const QString& romcheckFile,
                         QStringView checkedZip) {
    QFile file(romcheckFile);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open %1: %2").arg(romcheckFile, file.errorString()));
    const QByteArray report = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read %1: %2").arg(romcheckFile, file.errorString()));
    ApplyRomcheckReport(games, report, checkedZip);
}
