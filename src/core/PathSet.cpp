#include "PathSet.h"

#include "Platform.h"

#include <QDir>

void PathSet::setFrontEndDir(const QString& workingDir) {
    FrontEndDir = platform::withTrailingSeparator(workingDir);
    const auto dir = [this](const char* name) {
        return FrontEndDir + QLatin1StringView(name) + platform::kSeparator;
    };
    TempDir = dir("StartKaltoTemp");
    GameplayDir = dir("Gameplay");
    TitlesDir = dir("Titles");
    CabinetsDir = dir("Cabinets");
    MarqueesDir = dir("Marquees");
    FlyersDir = dir("Flyers");
    SoundDir = dir("Sound");
    FrontEndIniFile = FrontEndDir + QStringLiteral("StartKALTO.ini");
    BatchFile = FrontEndDir + platform::batchFileName();
    CaptureFile = FrontEndDir + QStringLiteral("KALTOStart.txt");
    RomcheckFile = FrontEndDir + QStringLiteral("romcheck.txt");
    IniFilesDir = dir("IniFiles");
    ListInfoFile = FrontEndDir + QStringLiteral("listinfo.txt");
}

void PathSet::setEmulatorPaths() {
    EmuExeFile = EmuDir + platform::emuExeName();
    EmuCfgFile = EmuDir + platform::emuConfigRelative();
}

QString PathSet::emuCheatsFile() const {
    return EmuDir + platform::emuCheatsRelative();
}

QString PathSet::userFrontEndDir(const QString& xdgDataHome, const QString& home) {
    const QString base =
        !xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome)
            ? xdgDataHome
            : platform::withTrailingSeparator(home) + QStringLiteral(".local/share");
    return platform::withTrailingSeparator(QDir::cleanPath(base + QStringLiteral("/StartKALTO")));
}
