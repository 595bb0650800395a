#include "BatchFile.h"

#include "core/AtomicFile.h"
#include "core/PathSet.h"

#include <QFile>

namespace {

QString cmdText(const QString& title, const QString& program,
                const std::optional<QString>& capture) {
    // Every argument is passed on in double quotes, however many there are, so that
    // one with a blank reaches the program as one argument.
    QString programLine = u'"' + program + QStringLiteral("\"%StartArgs%");
    if (capture)
        programLine += QStringLiteral(" > \"") + *capture + u'"';
    // The program's exit status is kept and ends the script, so that the caller can
    // tell a failed run from a good one.
    const QString lines[] = {
        QStringLiteral("@echo off"),
        QStringLiteral("echo Starting ") + title,
        QStringLiteral("set StartArgs="),
        QStringLiteral(":NextArgument"),
        QStringLiteral("if \"%~1\"==\"\" goto Run"),
        QStringLiteral("set StartArgs=%StartArgs% \"%~1\""),
        QStringLiteral("shift"),
        QStringLiteral("goto NextArgument"),
        QStringLiteral(":Run"),
        programLine,
        QStringLiteral("set StartStatus=%ERRORLEVEL%"),
        QStringLiteral("cls"),
        QStringLiteral("echo ") + title + QStringLiteral(" has finished."),
        QStringLiteral("echo If this window does not disappear:"),
        QStringLiteral("echo 1. Right-click on the title-bar"),
        QStringLiteral("echo 2. Click properties"),
        QStringLiteral("echo 3. Check \"close on exit\""),
        QStringLiteral("exit /b %StartStatus%"),
    };
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

// Inside double quotes the shell still expands $, ` and \; the title is a fixed text
// of the program, but it is escaped all the same.
QString doubleQuoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'"' || c == u'$' || c == u'`' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

QString shellText(const QString& title, const QString& program,
                  const std::optional<QString>& capture) {
    // Without a "/" the shell would look the program up along PATH. "$@" passes every
    // argument on as one word, blanks and all.
    const QString path = program.contains(u'/') ? program : QStringLiteral("./") + program;
    QString programLine = shellQuoted(path) + QStringLiteral(" \"$@\"");
    if (capture)
        programLine += QStringLiteral(" > ") + shellQuoted(*capture);
    // The program's exit status is kept and ends the script, so that the caller can
    // tell a failed run from a good one.
    return QStringLiteral("#!/bin/sh\n") + QStringLiteral("echo ") +
           doubleQuoted(QStringLiteral("Starting ") + title) + u'\n' + programLine + u'\n' +
           QStringLiteral("status=$?\n") + QStringLiteral("echo ") +
           doubleQuoted(title + QStringLiteral(" has finished.")) + u'\n' +
           QStringLiteral("exit $status\n");
}

} // namespace

QString shellQuoted(const QString& text) {
    QString out = text;
    out.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + out + u'\'';
}

QString RenderBatchFile(platform::ScriptDialect dialect, const QString& title,
                        const QString& programPath, const std::optional<QString>& capturePath) {
    return dialect == platform::ScriptDialect::Cmd ? cmdText(title, programPath, capturePath)
                                                   : shellText(title, programPath, capturePath);
}

void WriteBatchFile(const PathSet& paths, const QString& title, const QString& programPath,
                    const std::optional<QString>& capturePath) {
    writeFileAtomically(
        paths.BatchFile,
        RenderBatchFile(platform::kScriptDialect, title, programPath, capturePath).toUtf8());
}

void DeleteWorkFiles(const PathSet& paths) {
    QFile::remove(paths.BatchFile);
    QFile::remove(paths.CaptureFile);
}
