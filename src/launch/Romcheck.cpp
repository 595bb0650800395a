#include "Romcheck.h"

#include "Execfile.h"
#include "core/PathSet.h"
#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool holdsResultLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    qint64 n = 0;
    while ((n = file.read(block.data(), block.size())) > 0) {
        if (QByteArrayView(block.constData(), n).contains('|'))
            return true;
    }
    return false;
}

} // namespace

RomcheckRun RunRomcheck(const PathSet& paths, TExecFile& execEmu, const QStringList& arguments) {
    RomcheckRun run;
    // What an earlier run captured must not pass for this run's report.
    QFile::remove(paths.CaptureFile);
    execEmu.setArguments(arguments);
    // As the user would type it: an argument with blanks shows quoted.
    const QString shown = execEmu.parameters();
    run.started = execEmu.Execute();
    if (!run.started)
        return run;

    // A launch script passes an emulator killed by a signal on as 128 + the signal.
    const bool endedByItself = !execEmu.lastRunCancelled() && execEmu.lastRunExitedNormally() &&
                               platform::signalFromScriptStatus(execEmu.lastExitCode()) == 0;
    QString how = execEmu.lastRunEnding();
    if (endedByItself && holdsResultLine(paths.CaptureFile)) {
        MoveReplacing(paths.CaptureFile, paths.RomcheckFile);
        run.reported = true;
        if (!how.isEmpty())
            run.note = QStringLiteral("kalto.exe %1 %2; its report was read.").arg(shown, how);
        return run;
    }
    if (how.isEmpty()) {
        how = QFileInfo(paths.CaptureFile).size() == 0 ? QStringLiteral("wrote no report")
                                                       : QStringLiteral("printed no result");
    }
    run.failure =
        QStringLiteral("kalto.exe %1 did not check the romsets: it %2.").arg(shown, how);
    const QStringList said = execEmu.lastErrorLines(5);
    if (!said.isEmpty())
        run.failure += QStringLiteral("\r\rIts last words:\r") + said.join(u'\r');
    run.failure += QStringLiteral("\r\rThe marks of the romsets stay as they were.");
    return run;
}
