#include "DemoPictures.h"

#include "DemoCatalog.h"
#include "PcxWriter.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace demo {

namespace {

// A game's screen: a sky, a ground, a few sprites, the score line and the title.
QImage screen(const sk::DemoGame& game, int shot) {
    const int w = game.width > 0 ? game.width : 320;
    const int h = game.height > 0 ? game.height : 240;
    QImage image(w, h, QImage::Format_RGB888);
    QPainter p(&image);
    const int hue = int(std::hash<std::string>{}(game.zip) % 360);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor::fromHsv(hue, 200, 60 + shot * 20));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 200));
    p.fillRect(image.rect(), sky);
    p.fillRect(0, h * 4 / 5, w, h / 5, QColor::fromHsv((hue + 180) % 360, 180, 120));
    for (int i = 0; i < 5 + shot; ++i) {
        const int x = (i * 53 + shot * 31) % (w - 16);
        const int y = h / 3 + (i * 37 + shot * 17) % (h / 3);
        p.setBrush(QColor::fromHsv((hue + i * 50) % 360, 230, 250));
        p.setPen(Qt::NoPen);
        p.drawEllipse(x, y, 14, 14);
    }
    p.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, w / 24));
    p.setFont(font);
    p.drawText(QRect(4, 2, w - 8, h / 8), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("1UP %1").arg((shot + 1) * 1250, 6, 10, QLatin1Char('0')));
    font.setPixelSize(std::max(10, w / 14));
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, h / 8, w, h / 6), Qt::AlignCenter,
               QString::fromStdString(game.description));
    return image;
}

// A marquee: the title on a banner with rounded, see-through corners.
QImage marquee(const sk::DemoGame& game) {
    QImage image(384, 96, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath banner;
    banner.addRoundedRect(QRectF(4, 4, 376, 88), 30, 30);
    const int hue = int(std::hash<std::string>{}(game.zip) % 360);
    p.fillPath(banner, QColor::fromHsv(hue, 200, 200, 220));
    p.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(34);
    font.setBold(true);
    p.setFont(font);
    p.drawText(image.rect(), Qt::AlignCenter, QString::fromStdString(game.description));
    return image;
}

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes.toStdString();
}

// The picture in 256 colours, as the emulator saves its screenshots.
std::string pcx(const QImage& image) {
    const QImage indexed =
        image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AutoColor);
    sk::PcxPalette palette{};
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < table.size() && i < 256; ++i) {
        palette[size_t(i) * 3] = uint8_t(qRed(table[i]));
        palette[size_t(i) * 3 + 1] = uint8_t(qGreen(table[i]));
        palette[size_t(i) * 3 + 2] = uint8_t(qBlue(table[i]));
    }
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(indexed.width()) * size_t(indexed.height()));
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        pixels.insert(pixels.end(), line, line + indexed.width());
    }
    return sk::pcxBytes8(indexed.width(), indexed.height(), pixels, palette);
}

} // namespace

void writePictures(
    const std::function<void(const std::string&, const std::string&, const std::string&)>& write) {
    // Fonts and painting need a GUI application; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "make-demo";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    const auto game = [](const char* zip) { return *sk::findDemoGame(zip); };
    const sk::DemoGame lumabolt = game("lumabolt");
    write("Titles/lumabolt.png", encoded(screen(lumabolt, 0), "PNG"), "title (PNG)");
    write("Gameplay/lumabolt.001.pcx", pcx(screen(lumabolt, 1)), "gameplay (PCX, 256 colours)");
    write("Gameplay/lumabolt.002.png", encoded(screen(lumabolt, 2), "PNG"), "gameplay (PNG)");
    write("Gameplay/lumabolt.003.jpg", encoded(screen(lumabolt, 3), "JPG"), "gameplay (JPEG)");
    write("Gameplay/lumabolt.004.bmp", encoded(screen(lumabolt, 4), "BMP"), "gameplay (BMP)");
    write("Flyers/lumabolt.jpg", encoded(screen(lumabolt, 5).scaled(448, 576), "JPG"), "flyer");
    write("Marquees/lumabolt.png", encoded(marquee(lumabolt), "PNG"),
          "marquee (PNG with transparency)");
    write("Cabinets/lumabolt.bmp", encoded(screen(lumabolt, 6).scaled(180, 320), "BMP"),
          "cabinet (BMP)");
    // Caldera Kids is the installed game listed first, which a first start selects: its
    // pictures are the first thing a new user sees.
    for (const char* zip : {"calkids", "cogrider", "mirefox", "skyloom", "vantarex"}) {
        const sk::DemoGame g = game(zip);
        write("Titles/" + g.zip + ".jpg", encoded(screen(g, 0), "JPG"), "title (JPEG)");
        write("Gameplay/" + g.zip + ".001.pcx", pcx(screen(g, 1)), "gameplay (PCX)");
        write("Gameplay/" + g.zip + ".002.pcx", pcx(screen(g, 2)), "gameplay (PCX)");
        write("Marquees/" + g.zip + ".png", encoded(marquee(g), "PNG"), "marquee");
    }
}

} // namespace demo
