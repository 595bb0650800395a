#pragma once

#include <QString>

// A text that never grows past N characters: a longer text is cut when it is assigned.
template <qsizetype N> class ShortText final {
public:
    ShortText() = default;
    ShortText(const QString& text) : m_text(text.left(N)) {} // NOLINT: assigned like a text
    ShortText(const char16_t* text) : ShortText(QString::fromUtf16(text)) {}
    ShortText& operator=(const QString& text) {
        m_text = text.left(N);
        return *this;
    }
    operator const QString&() const { return m_text; } // NOLINT: read like a text
    const QString& text() const { return m_text; }
    static constexpr qsizetype maxLength = N;
    bool operator==(const ShortText&) const = default;

private:
    QString m_text;
};

// The emulator settings of one game, or of the defaults. A fresh record holds the
// defaults, which are also what a missing file, section or key yields.
struct TGameSettingsObject {
    int ScreenMode = 0; // index into the display modes
    ShortText<9> Resolution = u"320x240";
    int Scanlines = 0; // 0 none, 1 full, 2 half
    bool Vsync = false;
    bool TripleBuffer = true;
    bool Eagle = false;
    bool PixelDouble = false;
    bool FastSetPal = true;
    int SoundCard = 0; // index into the sound cards
    ShortText<8> SamplingRate = u"22050";
    int Ym3812 = 0; // 0 hardware, 1 software
    bool DariusStereo = false;
    bool UseLeds = true;
    bool LimitSpeed = true;
    int Frame_Skip = 0; // 0 automatic, 1 all frames, n every n-th; -1 typed text
    int ShowFPS = 0;    // index into the on-screen statistics
    bool UseRdtsc = true;

    bool operator==(const TGameSettingsObject&) const = default;
};

// Calls visit(key, field) for every field in the order of the file, with the key the
// file holds it under. Load, save and import all walk this one table.
template <class Settings, class Visit> void forEachSetting(Settings& s, Visit&& visit) {
    visit(u"ScreenMode", s.ScreenMode);
    visit(u"Resolution", s.Resolution);
    visit(u"Scanlines", s.Scanlines);
    visit(u"Vsync", s.Vsync);
    visit(u"TripleBuffer", s.TripleBuffer);
    visit(u"Eagle", s.Eagle);
    visit(u"PixelDouble", s.PixelDouble);
    visit(u"FastSetPal", s.FastSetPal);
    visit(u"SoundCard", s.SoundCard);
    visit(u"SamplingRate", s.SamplingRate);
    visit(u"Ym3812", s.Ym3812);
    visit(u"DariusStereo", s.DariusStereo);
    visit(u"UseLeds", s.UseLeds);
    visit(u"LimitSpeed", s.LimitSpeed);
    visit(u"Frame_Skip", s.Frame_Skip);
    visit(u"ShowFPS", s.ShowFPS);
    visit(u"UseRdtsc", s.UseRdtsc);
}

// The name of the default settings' file and section.
inline QString defaultSettingsName() {
    return QStringLiteral("Default");
}

// The file of a game's own settings ("<zip>.ini") or of the defaults ("Default.ini")
// in the IniFiles directory.
QString settingsFile(const QString& iniFilesDir, const QString& name);

// Fills every field from the file for name; whatever is missing keeps its default.
// A missing file is no error. Throws FileError when the file exists but cannot be read.
void LoadSettings(TGameSettingsObject& settings, const QString& iniFilesDir, const QString& name);
// Replaces the file for name whole with one section of that name. Throws FileError.
void SaveSettings(const TGameSettingsObject& settings, const QString& iniFilesDir,
                  const QString& name);

// A game uses the default settings exactly when it has no file of its own.
bool UsesDefaultSettings(const QString& iniFilesDir, const QString& zipName);
// With drop, deletes the game's own file (a missing one is no error).
void DropOwnSettings(const QString& iniFilesDir, const QString& zipName, bool drop);
// "Default" for a game without its own file, else its zip name.
QString effectiveSettingsName(const QString& iniFilesDir, const QString& zipName);
TGameSettingsObject loadEffectiveSettings(const QString& iniFilesDir, const QString& zipName);

// Turns the per-game sections of the older front-end settings file ("Game0", "Game1",
// ... counted by "NumOfGames" of [StartKALTO]) into game settings files. Section
// "Game0" is always converted; the others only when they did not use the defaults.
// The old file is left as it is. Throws FileError.
void ImportOldGameSettings(const QString& frontEndIniFile, const QString& iniFilesDir);
