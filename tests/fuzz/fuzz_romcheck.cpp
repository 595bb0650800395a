// Reads the emulator's romset check report into a small game list, as a check of all
// romsets and as a check of one game. Beyond not crashing: a game the report never names
// has no marks after a check of all romsets, and after a check of one game keeps its
// marks unless it is that game; no game loses its installed flag.
#include "FuzzCheck.h"
#include "games/GameObject.h"
#include "games/RomcheckResults.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

const char* const kZips[] = {"robo", "roboj", "bad", "Caf\xe9", "x"};
const QString kChecked = QStringLiteral("roboj");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray report(reinterpret_cast<const char*>(data), qsizetype(size));
    // Names are found without regard to case, in the report read as 8-bit text or, where
    // its bytes are UTF-8, as UTF-8.
    const QString text =
        QString::fromLatin1(report).toLower() + u'\n' + QString::fromUtf8(report).toLower();
    for (const QString& checkedZip : {QString(), kChecked}) {
        TGameObjectList games;
        for (int i = 0; const char* zip : kZips) {
            TGameObject game;
            game.ZipName = QString::fromLatin1(zip);
            game.Installed = i % 2 == 0;
            game.BadRomcheck = i % 3 == 0;
            game.GoodRomcheck = !game.BadRomcheck && i % 4 == 1;
            games.AddGame(std::move(game));
            ++i;
        }
        ApplyRomcheckReport(games, report, checkedZip);
        for (int i = 0; const char* zip : kZips) {
            const QString name = QString::fromLatin1(zip);
            const TGameObject* game = games.FindGame(name);
            CHECK(game);
            if (!text.contains(name.toLower())) {
                CHECK(game->Installed == (i % 2 == 0));
                if (checkedZip.isEmpty() || name == checkedZip) {
                    CHECK(!game->BadRomcheck && !game->GoodRomcheck);
                } else {
                    CHECK(game->BadRomcheck == (i % 3 == 0));
                    CHECK(game->GoodRomcheck == (!game->BadRomcheck && i % 4 == 1));
                }
            }
            // Only a bad mark can leave a game uninstalled once the report named it
            // good, and a game is never both good and bad.
            if (!game->Installed)
                CHECK(game->BadRomcheck || i % 2 != 0);
            CHECK(!(game->BadRomcheck && game->GoodRomcheck));
            ++i;
        }
    }
    return 0;
}
