#pragma once

#include "core/IniDocument.h"

#include <QDateTime>
#include <QString>
#include <optional>

struct PathSet;
class Prompter;
class TExecFile;

// The start-up sequence: the path set, the emulator's location and configuration, the
// checks that end the program when a needed file is missing, the refresh of the game
// list file and the data directories. The steps that other parts of the program own
// are called through Steps, in a fixed order.
class StartUp final {
public:
    class Steps {
    public:
        virtual ~Steps() = default;
        // Claims the front-end directory for this copy of the program; false when
        // another copy works there (it has said so then).
        virtual bool LockFrontEndDir() { return true; }
        virtual void ImportOldGameSettings() = 0;
        // False when the game list file could not be read; the rest of the sequence is skipped.
        virtual bool ImportGameList() = 0;
        virtual void LoadFrontEndSettings() = 0;
        virtual void UpdateFlags() = 0;
    };

    enum class Result {
        Completed,
        NeededFileMissing,
        GameListUnreadable,
        WorkingDirectoryMissing, // nothing was touched
        AlreadyRunning,          // another copy works in the directory; nothing was touched
        Aborted,                 // requestAbort(): work files deleted, nothing saved
    };

    StartUp(PathSet& paths, Prompter& prompter, TExecFile& execEmu);

    // The whole sequence. Every result but Completed and GameListUnreadable means the
    // program must end without saving anything; the work files are already gone then.
    Result RunStartup(bool checkEmuDate, Steps& steps);

    // Stops the sequence at its next step (a termination signal arrived): the run of
    // the emulator that may be going on is ended by the caller.
    void requestAbort() { m_abort = true; }
    bool abortRequested() const { return m_abort; }

    // False when the last refresh of the list file failed and the old list was kept.
    bool listRefreshed() const { return !m_listRefreshFailed; }
    // The executable's date that the settings file should keep: the date of the one that
    // made the game list, or none after a failed refresh, so that the next start asks
    // the emulator again.
    QDateTime emuExeDateToStore() const;

    // False when the working directory no longer exists (the message is shown).
    bool BuildPaths();
    // False when kalto.exe is still missing and the user chose to end the program.
    bool LocateEmulator();
    void AskForEmulator();
    void SetEmulatorPaths();
    void EnsureEmulatorConfig();
    // Runs the emulator with "-nogui", which writes its default configuration file; the
    // launch script captures the output of the runs after it again.
    void RequestDefaultConfig();
    bool CheckNeededFile(const QString& path);
    bool CheckNeededFiles();
    // False when the emulator was asked and its run failed: the old list file is kept.
    bool RefreshGameListFile(bool checkEmuDate);
    void CreateDataDirectories();
    // Removes what saves killed between writing and renaming left beside the program's
    // files. Only while this copy holds the front-end directory.
    void RemoveSaveLeftovers();
    // Tidies up after a game run that an earlier start did not see end.
    void FinishInterruptedRun();
    void CheckDefaultSettingsFile(Steps& steps);

    // Stored when no date was ever saved: a date that no file carries.
    static QDateTime missingEmuExeDate();
    // A file's modification time to the second, as it is stored and compared.
    static QDateTime fileDate(const QString& path);

private:
    // Writes the launch script; a failure is shown (once per start-up) and the
    // sequence goes on. False when it was not written.
    bool writeBatchFile(const std::optional<QString>& capturePath);
    bool runEmulator(const QString& parameters);
    // Says that kalto.exe was not found and where; true when the user wants to point
    // to it again.
    bool offerToPointAgain();
    QString runFailure() const;
    bool aborted();
    // The front-end's own section of its settings file.
    const IniDocument& ownSettings();

    PathSet& m_paths;
    Prompter& m_prompter;
    TExecFile& m_execEmu;
    bool m_abort = false;
    bool m_listRefreshFailed = false;
    bool m_batchFileFailed = false;
    QDateTime m_listExeDate;
    std::optional<IniDocument> m_ownSettings;
};
