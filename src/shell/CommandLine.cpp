#include "CommandLine.h"

#include "Version.h"
#include "core/PathSet.h"
#include "core/Platform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Options that QGuiApplication and QApplication take off the command line themselves;
// accepted here so that they reach Qt, and left out of the help.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"style", true},
    {"stylesheet", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

const QString kUserFolderOption = QStringLiteral("user-folder");
const QString kFolderOption = QStringLiteral("folder");

QString helpText(QCommandLineParser& parser, const QString& programPath) {
    QString name = QFileInfo(programPath).fileName();
    if (name.isEmpty())
        name = QString(version::kProgramName);
    // The parser takes the program's name from the application object, which does not
    // exist yet: the usage line is ours.
    const QString text = parser.helpText();
    return QStringLiteral("Usage: %1 [options]").arg(name) + text.mid(text.indexOf(u'\n'));
}

bool sameFolder(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-style fusion" is one of Qt's options, not the letters s, t, y, l and e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("A front-end for the arcade emulator Kalto.\n\n"
                       "Without an option StartKALTO works in the current directory: it keeps "
                       "its settings,\nthe game list and the picture folders there."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and end."));
    const QCommandLineOption showVersion({QStringLiteral("v"), QStringLiteral("version")},
                                         QStringLiteral("Print the version and end."));
    const QCommandLineOption userFolder(
        kUserFolderOption, QStringLiteral("Work in your own folder, $XDG_DATA_HOME/StartKALTO "
                                          "(~/.local/share/StartKALTO), made at the first start."));
    const QCommandLineOption folder(kFolderOption,
                                    QStringLiteral("Work in the folder DIR, made when missing."),
                                    QStringLiteral("DIR"));
    for (const QCommandLineOption& option : {userFolder, folder, help, showVersion})
        parser.addOption(option);
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name));
        if (qt.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine result;
    const QString programPath = arguments.value(0);
    if (!parser.parse(arguments)) {
        result.m_action = Action::UsageError;
        result.m_output = parser.errorText() + u'\n' + helpText(parser, programPath);
        return result;
    }
    if (parser.isSet(help)) {
        result.m_action = Action::Help;
        result.m_output = helpText(parser, programPath);
        return result;
    }
    if (parser.isSet(showVersion)) {
        result.m_action = Action::Version;
        result.m_output =
            QStringLiteral("%1 %2\n").arg(version::kProgramName, version::kVersionText);
        return result;
    }
    const auto usageError = [&](const QString& error) {
        result.m_action = Action::UsageError;
        result.m_output = error + u'\n' + helpText(parser, programPath);
        return result;
    };
    // A folder given without --folder would be passed over, and the program would make
    // its files in the current directory instead.
    if (const QStringList stray = parser.positionalArguments(); !stray.isEmpty())
        return usageError(QCoreApplication::translate(
                              "CommandLine", "Unexpected argument '%1'. To work in a folder, give "
                                             "--folder %1.")
                              .arg(stray.constFirst()));
    if (parser.isSet(userFolder) && parser.isSet(folder))
        return usageError(QStringLiteral("Give either --user-folder or --folder, not both."));
    if (parser.values(folder).size() > 1)
        return usageError(QStringLiteral("Give --folder once."));
    if (parser.isSet(folder)) {
        if (parser.value(folder).isEmpty())
            return usageError(QStringLiteral("--folder needs the name of a folder."));
        result.m_folder = Folder::Named;
        result.m_folderArgument = parser.value(folder);
    } else if (parser.isSet(userFolder)) {
        result.m_folder = Folder::User;
    }
    return result;
}

QString CommandLine::workingFolder(const QString& cwd, const QString& home,
                                   const QString& xdgDataHome) const {
    const QString userFolder = PathSet::userFrontEndDir(xdgDataHome, home);
    QString folder;
    switch (m_folder) {
    case Folder::Current:
        folder = cwd;
        break;
    case Folder::User:
        folder = userFolder;
        break;
    case Folder::Named:
        folder = QDir::cleanPath(QDir(cwd).absoluteFilePath(m_folderArgument));
        break;
    }
    // Settings, a game list and seven folders would land among the user's own files.
    if (!home.isEmpty() && sameFolder(folder, home) &&
        !QFileInfo::exists(platform::withTrailingSeparator(home) +
                           QStringLiteral("StartKALTO.ini")))
        folder = userFolder;
    return platform::withTrailingSeparator(folder);
}
