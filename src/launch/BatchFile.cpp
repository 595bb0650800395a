#include "BatchFile.h"

#include "shell/FileError.h"
#include "shell/PathSet.h"

#include <QFile>
#include <QSaveFile>

namespace {

QString cmdText(const QString& title, const QString& program,
                const std::optional<QString>& capture) {
    QString programLine = u'"' + program + QStringLiteral("\" %1 %2 %3 %4 %5 %6 %7 %8 %9 ");
    if (capture)
        programLine += QStringLiteral(" > \"") + *capture + u'"';
    const QString lines[] = {
        QStringLiteral("@echo off"),
        QStringLiteral("echo Starting ") + title,
        programLine,
        QStringLiteral("cls"),
        QStringLiteral("echo ") + title + QStringLiteral(" has finished."),
        QStringLiteral("echo If this window does not disappear:"),
        QStringLiteral("echo 1. Right-click on the title-bar"),
        QStringLiteral("echo 2. Click properties"),
        QStringLiteral("echo 3. Check \"close on exit\""),
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
    QString programLine = shellQuoted(program) + QStringLiteral(" \"$@\"");
    if (capture)
        programLine += QStringLiteral(" > ") + shellQuoted(*capture);
    return QStringLiteral("#!/bin/sh\n") + QStringLiteral("echo ") +
           doubleQuoted(QStringLiteral("Starting ") + title) + u'\n' + programLine + u'\n' +
           QStringLiteral("echo ") + doubleQuoted(title + QStringLiteral(" has finished.")) + u'\n';
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
    const QByteArray bytes =
        RenderBatchFile(platform::kScriptDialect, title, programPath, capturePath).toUtf8();
    QSaveFile file(paths.BatchFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(
            QStringLiteral("Cannot write %1:\r%2").arg(paths.BatchFile, file.errorString()));
}

void DeleteWorkFiles(const PathSet& paths) {
    QFile::remove(paths.BatchFile);
    QFile::remove(paths.CaptureFile);
}
