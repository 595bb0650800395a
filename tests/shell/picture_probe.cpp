// Measures what showing a picture costs, for the viewer's tests: the peak resident size of
// a process is a figure of the whole process, so each measurement runs in one of its own.
//   picture_probe show FILE
//     shows the file on a viewer's page of 800 x 600 pixels in each scaling mode and prints
//     "baseline <kB>" (the resident size before), "peak <kB>" (the peak resident size after) and
//     "error <text>" for each box shown.
//   picture_probe peak PROGRAM ARGS...
//     runs the program and prints "peak <kB>" (its peak resident size) and "status <n>".

#include "ScriptedPrompter.h"
#include "core/PathSet.h"
#include "media/ScreenShotHandeling.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// A field of /proc/self/status, in kB.
long statusField(const char* name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(std::strlen(name))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int show(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[2]);
    ScriptedPrompter prompter;
    PathSet paths;
    QWidget panel;
    panel.resize(800, 600);
    QWidget noShot;
    auto* image = new ScreenShotImage(&panel);
    QLabel name;
    TScreenShot viewer(paths, prompter, ScreenShotPage{&noShot, &panel, image, &name, [](bool) {}});
    TScreenShot::Scaling mode = TScreenShot::Scaling::Original;
    viewer.scaling = [&] { return mode; };
    panel.show();
    app.processEvents();
    std::printf("baseline %ld\n", statusField("VmRSS:"));

    for (const TScreenShot::Scaling scaling :
         {TScreenShot::Scaling::Original, TScreenShot::Scaling::Scaled,
          TScreenShot::Scaling::Stretched}) {
        mode = scaling;
        image->clear();
        if (viewer.LoadScreenShot(file))
            viewer.Scale();
        panel.repaint();
        app.processEvents();
    }
    std::printf("peak %ld\n", statusField("VmHWM:"));
    for (const QString& text : prompter.texts())
        std::printf("error %s\n", text.toLocal8Bit().constData());
    return 0;
}

int peak(char** argv) {
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0)
        return 2;
    int status = 0;
    struct rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 2;
    std::printf("peak %ld\nstatus %d\n", usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "show") == 0)
        return show(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "peak") == 0)
        return peak(argv);
    std::fprintf(stderr, "usage: picture_probe show FILE | picture_probe peak PROGRAM ARGS...\n");
    return 2;
}
