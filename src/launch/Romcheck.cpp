#include "Romcheck.h"

#include "Execfile.h"
#include "core/PathSet.h"

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

    QString how = execEmu.lastRunEnding();
    if (how.isEmpty() && QFileInfo(paths.CaptureFile).size() == 0)
        how = QStringLiteral("wrote no report");
    if (how.isEmpty()) {
        MoveReplacing(paths.CaptureFile, paths.RomcheckFile);
        run.reported = true;
        return run;
    }
    run.failure =
        QStringLiteral("kalto.exe %1 did not check the romsets: it %2.").arg(arguments, how);
    const QStringList said = execEmu.lastErrorLines(5);
    if (!said.isEmpty())
        run.failure += QStringLiteral("\r\rIts last words:\r") + said.join(u'\r');
    run.failure += QStringLiteral("\r\rThe marks of the romsets stay as they were.");
    return run;
}
