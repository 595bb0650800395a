// A game launch as the front-end makes it, in a process of its own, so that a test can
// kill the front-end while the game runs: launch-run FRONTENDDIR ZIPNAME. The emulator
// is FRONTENDDIR/kalto.exe; the screenshots of the run are filed as the window files them.

#include "ScriptedPrompter.h"
#include "core/PathSet.h"
#include "core/Platform.h"
#include "launch/BatchFile.h"
#include "launch/EmulatorConfig.h"
#include "launch/Execfile.h"
#include "launch/Launch.h"
#include "media/ScreenshotStore.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: launch-run FRONTENDDIR ZIPNAME\n");
        return 2;
    }
    PathSet paths;
    paths.setFrontEndDir(args[1]);
    paths.EmuDir = paths.FrontEndDir;
    paths.setEmulatorPaths();
    const QString zipName = args[2];

    WriteBatchFile(paths, QStringLiteral("KALTO"), paths.EmuExeFile, paths.CaptureFile);
    TExecFile runner;
    runner.setCommandLine(paths.BatchFile);
    runner.setInterpreter(platform::scriptInterpreter());
    runner.setWait(true);
    ScriptedPrompter prompter;
    LaunchGame(paths, runner, prompter, zipName, false, ReadRomDirs(paths.EmuCfgFile),
               [&](const QSet<QString>& leftovers) {
                   CollectRunScreenshots(paths.TempDir, paths.GameplayDir, zipName, leftovers);
               });
    return 0;
}
