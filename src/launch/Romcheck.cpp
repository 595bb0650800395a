#include "Romcheck.h"

#include "Execfile.h"
#include "core/PathSet.h"
#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>

RomcheckRun RunRomcheck(const PathSet& paths, TExecFile& execEmu, const QString& arguments) {
    RomcheckRun run;
    // What an earlier run captured must not pass for this run's report.
    QFile::remove(paths.CaptureFile);
    execEmu.setParameters(arguments);
    run.started = execEmu.Execute();
    if (!run.started)
        return run;

    QString how;
    if (execEmu.lastRunCancelled())
        how = QStringLiteral("the run was stopped");
    else if (!execEmu.lastRunExitedNormally())
        how = QStringLiteral("it ended abnormally");
    else if (const int signal = platform::signalFromScriptStatus(execEmu.lastExitCode()))
        how = QStringLiteral("it ended abnormally (signal %1, %2)")
                  .arg(signal)
                  .arg(platform::signalDescription(signal));
    else if (execEmu.lastExitCode() != 0)
        how = QStringLiteral("it ended with exit status %1").arg(execEmu.lastExitCode());
    else if (QFileInfo(paths.CaptureFile).size() == 0)
        how = QStringLiteral("it wrote no report");
    if (how.isEmpty()) {
        MoveReplacing(paths.CaptureFile, paths.RomcheckFile);
        run.reported = true;
        return run;
    }
    run.failure = QStringLiteral("kalto.exe %1 did not check the romsets: %2.").arg(arguments, how);
    const QStringList said = execEmu.lastErrorLines(5);
    if (!said.isEmpty())
        run.failure += QStringLiteral("\r\rIts last words:\r") + said.join(u'\r');
    run.failure += QStringLiteral("\r\rThe marks of the romsets stay as they were.");
    return run;
}
