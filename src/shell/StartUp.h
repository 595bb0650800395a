#pragma once

#include <QDateTime>
#include <QString>

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
        virtual void ImportOldGameSettings() = 0;
        // False when the game list file could not be read; the rest of the sequence is skipped.
        virtual bool ImportGameList() = 0;
        virtual void LoadFrontEndSettings() = 0;
        virtual void UpdateFlags() = 0;
    };

    enum class Result { Completed, NeededFileMissing, GameListUnreadable };

    StartUp(PathSet& paths, Prompter& prompter, TExecFile& execEmu);

    // The whole sequence. NeededFileMissing means the program must end without
    // saving anything; the work files are already gone then.
    Result RunStartup(bool checkEmuDate, Steps& steps);

    void BuildPaths();
    void LocateEmulator();
    void AskForEmulator();
    void SetEmulatorPaths();
    void EnsureEmulatorConfig();
    bool CheckNeededFile(const QString& path);
    bool CheckNeededFiles();
    void RefreshGameListFile(bool checkEmuDate);
    void CreateDataDirectories();
    void CheckDefaultSettingsFile(Steps& steps);

    // Stored when no date was ever saved: a date that no file carries.
    static QDateTime missingEmuExeDate();
    // A file's modification time to the second, as it is stored and compared.
    static QDateTime fileDate(const QString& path);

private:
    void runEmulator(const QString& parameters);

    PathSet& m_paths;
    Prompter& m_prompter;
    TExecFile& m_execEmu;
};
