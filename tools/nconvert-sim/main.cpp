// Stand-in for the picture converter NConvert, for the tests and the demo. It answers
// the one command line the front-end sends:
//   nconvert -v. -out png -D <dir>/<pattern>
// It expands the pattern itself, converts every PCX, BMP and JPEG picture it matches to
// a PNG of the same base name with the front-end's own readers and libpng, and with -D
// deletes each source once its PNG is written. A PNG that is already there is left
// alone, and so is its source.

#include "core/FileError.h"
#include "media/PCX.h"
#include "media/PngImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QRegularExpression>
#include <cstdio>

namespace {

void say(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
}

QImage decode(const QString& path) {
    if (QFileInfo(path).suffix().compare(u"pcx", Qt::CaseInsensitive) == 0)
        return LoadPcxFile(path);
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        throw FileError(reader.errorString());
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    QString format;
    QString pattern;
    bool deleteSources = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"-out" && i + 1 < args.size())
            format = args[++i].toLower();
        else if (arg == u"-D")
            deleteSources = true;
        else if (arg.startsWith(u'-'))
            continue; // verbosity and the like
        else
            pattern = arg;
    }
    if (format != u"png" || pattern.isEmpty()) {
        std::fprintf(stderr, "nconvert-sim: usage: nconvert -out png [-D] <dir>/<pattern>\n");
        return 2;
    }

    // Both separators, so the other system's paths work too.
    const qsizetype slash = std::max(pattern.lastIndexOf(u'/'), pattern.lastIndexOf(u'\\'));
    const QString dir = slash < 0 ? QStringLiteral(".") : pattern.left(slash);
    const QRegularExpression match(
        QRegularExpression::wildcardToRegularExpression(pattern.mid(slash + 1)),
        QRegularExpression::CaseInsensitiveOption);
    int failures = 0;
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        const QString suffix = file.suffix().toLower();
        if (!match.match(file.fileName()).hasMatch() ||
            !(suffix == u"pcx" || suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg"))
            continue;
        const QString target =
            file.path() + u'/' + file.completeBaseName() + QStringLiteral(".png");
        if (QFileInfo::exists(target)) {
            say(QStringLiteral("%1: %2 exists, left alone").arg(file.filePath(), target));
            continue;
        }
        try {
            savePngPicture(decode(file.filePath()), target);
        } catch (const FileError& error) {
            std::fprintf(stderr, "nconvert-sim: %s: %s\n",
                         file.filePath().toLocal8Bit().constData(),
                         error.message().toLocal8Bit().constData());
            ++failures;
            continue;
        }
        say(QStringLiteral("Conversion of %1 into %2 OK").arg(file.filePath(), target));
        if (deleteSources && !QFile::remove(file.filePath())) {
            std::fprintf(stderr, "nconvert-sim: cannot delete %s\n",
                         file.filePath().toLocal8Bit().constData());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
