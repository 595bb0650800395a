#pragma once

#include <QString>

// Where every file of the program lives. Paths are joined by plain concatenation and
// every directory value ends with a separator, so "dir + name" is always a path.
struct PathSet {
    QString FrontEndDir;
    QString TempDir;
    QString GameplayDir;
    QString TitlesDir;
    QString CabinetsDir;
    QString MarqueesDir;
    QString FlyersDir;
    QString SoundDir;
    QString FrontEndIniFile;
    QString BatchFile;
    QString CaptureFile;
    QString RomcheckFile;
    QString IniFilesDir;
    QString ListInfoFile;

    QString EmuDir;
    QString EmuExeFile;
    QString EmuCfgFile;

    // Computes every front-end path from the front-end directory (the working directory).
    void setFrontEndDir(const QString& workingDir);
    // Computes the executable and configuration paths from EmuDir.
    void setEmulatorPaths();

    QString emuCheatsFile() const;

    // The user's own front-end folder, ending in a separator: "StartKALTO" in
    // xdgDataHome, or in home + "/.local/share" when xdgDataHome is empty or relative
    // (the desktop's base-directory rules ignore a relative one).
    static QString userFrontEndDir(const QString& xdgDataHome, const QString& home);
};
