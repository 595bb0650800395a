#include "RomcheckResults.h"

#include "GameObject.h"
#include "ListInfoImport.h"
#include "core/FileError.h"

#include <QFile>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

void ApplyRomcheckReport(TGameObjectList& games, QByteArrayView report) {
    report = withoutByteOrderMark(report);
    qsizetype pos = 0;
    while (pos < report.size()) {
        qsizetype end = pos;
        while (end < report.size() && report[end] != '\n' && report[end] != '\r')
            ++end;
        QByteArrayView line = report.sliced(pos, end - pos);
        pos = end + 1;
        while (!line.isEmpty() && isBlank(line.front()))
            line = line.sliced(1);
        while (!line.isEmpty() && isBlank(line.back()))
            line.chop(1);
        if (!line.contains('|'))
            continue;
        const qsizetype blank = line.indexOf(' ');
        const QByteArrayView word = blank < 0 ? line : line.first(blank);
        // Names are read as the list gave them, so that a name beyond ASCII matches.
        TGameObject* game = games.FindGame(decodeEmulatorText(word));
        if (!game)
            continue;
        game->BadRomcheck = line.contains("| BAD");
        game->GoodRomcheck = !game->BadRomcheck;
        if (!game->BadRomcheck)
            game->Installed = true;
    }
}

void ReadRomcheckResults(TGameObjectList& games, const QString& romcheckFile) {
    QFile file(romcheckFile);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open %1: %2").arg(romcheckFile, file.errorString()));
    const QByteArray report = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read %1: %2").arg(romcheckFile, file.errorString()));
    ApplyRomcheckReport(games, report);
}
