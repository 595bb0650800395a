// Imports the game list from arbitrary bytes. Beyond not crashing: no record carries a
// name that is unsafe as a file name, and the records do not depend on the block size
// the device is read in.
#include "FuzzCheck.h"
#include "core/Platform.h"
#include "games/GameObject.h"
#include "games/ListInfoImport.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

void import(const QByteArray& bytes, qsizetype blockSize, TGameObjectList& games) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QString error;
    // A buffer cannot fail to read: a failure reported here would be a wrong one.
    CHECK(ImportGameList(games, buffer, &error, blockSize));
}

bool sameGame(const TGameObject& a, const TGameObject& b) {
    return a.ZipName == b.ZipName && a.Description == b.Description && a.Archives == b.Archives &&
           a.Manufacturer == b.Manufacturer && a.Year == b.Year && a.ScreenWidth == b.ScreenWidth &&
           a.ScreenHeight == b.ScreenHeight;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // One read takes the whole input, as the default block does for any list this size,
    // without the cost of a megabyte buffer per run.
    TGameObjectList whole;
    import(bytes, qsizetype(size) + 1, whole);
    for (const auto& game : whole) {
        CHECK(platform::isSafeFileName(game->ZipName));
        for (const QString& archive : game->Archives)
            CHECK(platform::isSafeFileName(archive));
    }

    // Tiny blocks end reads inside lines and between CR and LF. The size picks one
    // without taking bytes from the list text.
    static constexpr qsizetype kSmallBlocks[] = {1, 2, 3, 7, 64};
    TGameObjectList pieces;
    import(bytes, kSmallBlocks[size % std::size(kSmallBlocks)], pieces);
    CHECK(pieces.count() == whole.count());
    for (qsizetype i = 0; i < whole.count(); ++i)
        CHECK(sameGame(*whole.at(i), *pieces.at(i)));
    return 0;
}
