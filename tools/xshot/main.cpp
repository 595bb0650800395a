// Saves a screenshot of the whole primary screen, for capturing windows under a virtual X server.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int usage() {
    std::fprintf(stderr, "usage: xshot <out.png> [delay-ms]\n");
    return 2;
}

bool haveDisplayServer() {
    // Without one, the default platform plugin aborts instead of reporting an error.
    for (const char* var : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(var);
        if (v && *v)
            return true;
    }
    return false;
}

} // namespace

// In sanitizer builds, the D-Bus library that the X11 platform plugin loads keeps a buffer for
// the life of the process; without this the leak report would turn a good capture into exit 1.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3)
        return usage();
    const QString outPath = QString::fromLocal8Bit(argv[1]);
    int delayMs = 0;
    if (argc == 3) {
        bool ok = false;
        delayMs = QByteArray(argv[2]).toInt(&ok);
        if (!ok || delayMs < 0)
            return usage();
    }
    if (!haveDisplayServer()) {
        std::fprintf(stderr, "xshot: no display to capture (DISPLAY is not set)\n");
        return 1;
    }

    QGuiApplication app(argc, argv);
    int status = 1;
    QTimer::singleShot(delayMs, &app, [&] {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) {
            std::fprintf(stderr, "xshot: no screen\n");
        } else {
            const QPixmap shot = screen->grabWindow(0);
            if (shot.isNull())
                std::fprintf(stderr, "xshot: the screen could not be grabbed\n");
            else if (!shot.save(outPath, "PNG"))
                std::fprintf(stderr, "xshot: cannot save %s\n", argv[1]);
            else
                status = 0;
        }
        app.exit(status);
    });
    app.exec();
    return status;
}
