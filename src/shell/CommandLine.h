#pragma once

#include <QString>
#include <QStringList>

// What the program was started with. Without an option it works in the current
// directory; --user-folder picks the user's own front-end folder (what the desktop
// entry passes), --folder DIR any folder. --help and --version print and end; an
// unknown option, or an argument that is no option (a folder without --folder), prints
// the usage and ends with status 2. Read before the application
// object exists, so that these work without a display; Qt's own options (-style,
// -platform, ...) pass through to Qt.
class CommandLine final {
public:
    enum class Action { Run, Help, Version, UsageError };
    enum class Folder { Current, User, Named };

    static constexpr int kUsageExitCode = 2;

    // arguments as the process got them, the program's path first.
    static CommandLine parse(const QStringList& arguments);

    Action action() const { return m_action; }
    Folder folder() const { return m_folder; }
    // What an action other than Run prints (the help and the version on standard
    // output, the error and the usage on standard error) and the status it ends with.
    QString output() const { return m_output; }
    int exitCode() const { return m_action == Action::UsageError ? kUsageExitCode : 0; }

    // The folder the program works in, absolute and ending in a separator, for the
    // process's working directory, home folder and XDG_DATA_HOME. The home folder
    // itself never gets the program's files unless it holds a collection already
    // (its StartKALTO.ini): the user's own folder takes a new one.
    QString workingFolder(const QString& cwd, const QString& home,
                          const QString& xdgDataHome) const;

private:
    Action m_action = Action::Run;
    Folder m_folder = Folder::Current;
    QString m_folderArgument;
    QString m_output;
};
