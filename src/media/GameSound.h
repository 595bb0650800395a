#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <memory>

// A game's music (a standard MIDI file) or samples (a WAV file), played once in the
// background through SDL_mixer: MIDI by its FluidSynth back end with a General MIDI
// soundfont, WAV natively.

struct _Mix_Music;

// What opening or playing a sound file came to.
enum class SoundResult {
    Ok,
    NoDevice, // the machine has no sound output: everything stays silent
    BadFile,  // this file cannot be opened or played
};

// The soundfonts the MIDI synthesizer uses: SDL_SOUNDFONTS when it is set (SDL_mixer
// reads it itself), otherwise the first General MIDI soundfont of the Debian packages
// that is there (the small TimGM6mb first, so that opening a MIDI file stays quick),
// otherwise empty.
QString soundFontPaths();

// Plays one file at a time, once, in the background. SDL_mixer has a single music
// stream per process, so a program has one player.
//
// The sound output is opened at the first open(), not before. When the machine has no
// sound output, open() and play() say NoDevice and nothing is heard; the player does
// not ask the system again before deviceRetry has passed, so that a machine without
// sound is not probed on every selection but a sound server started later is found.
class GameSoundPlayer final {
public:
    static constexpr std::chrono::milliseconds kDeviceRetry = std::chrono::minutes(1);

    explicit GameSoundPlayer(std::chrono::milliseconds deviceRetry = kDeviceRetry);
    ~GameSoundPlayer();
    GameSoundPlayer(const GameSoundPlayer&) = delete;
    GameSoundPlayer& operator=(const GameSoundPlayer&) = delete;

    // Opens the file, closing the one open before. The kind is told by the extension:
    // ".mid" and ".midi" as MIDI, ".wav" as WAV, anything else by its contents. MIDI and
    // WAV files are checked first (isPlayableMidi, isPlayableWav): a broken one is a
    // BadFile.
    SoundResult open(const QString& fileName);
    // Plays the open file once from its beginning; returns at once.
    SoundResult play();
    bool isPlaying() const;
    void stop();
    // Stops and forgets the open file.
    void close();
    // Closes the sound output too, so that another program can have the sound card;
    // restoreOutput() or the next open() opens it again.
    void releaseOutput();
    // Opens the sound output again after releaseOutput(); nothing otherwise.
    void restoreOutput();
    bool outputOpen() const { return m_device == Device::Open; }

    // The open file, or empty.
    QString fileName() const { return m_fileName; }
    // Why the last open() or play() failed.
    QString errorText() const { return m_error; }

private:
    struct FreeMusic {
        void operator()(_Mix_Music* music) const;
    };
    enum class Device { Closed, Open, Missing, Released };

    SoundResult openDevice();
    void closeDevice();
    SoundResult fail(SoundResult result, const QString& why);

    std::chrono::milliseconds m_deviceRetry;
    Device m_device = Device::Closed;
    std::chrono::steady_clock::time_point m_deviceFailedAt;
    std::unique_ptr<_Mix_Music, FreeMusic> m_music;
    QByteArray m_bytes; // a MIDI file's bytes, read once for the check and for playing
    QString m_fileName;
    QString m_error;
};

// The sound chosen in the Sound menu.
enum class SoundChoice { Music, Samples, None };

// What PlayGameSound did; the caller beeps once on Beep and shows nothing else.
enum class PlayOutcome {
    Playing, // the game's file plays
    Stopped, // no game, no sound chosen or no file: playback stopped
    Silent,  // the game has a file but the machine has no sound output
    Beep,    // the file could not be opened or played
};

// The game's sound file for the choice: soundDir + zip + ".mid" (Music) or ".wav"
// (Samples). The exact name wins; otherwise the name is matched in the folder without
// regard to case (the first match in name order), as the sound files of a collection
// copied from another system may be spelled otherwise. Empty when there is none, the
// choice is None, or the zip name is not a plain file name.
QString gameSoundFile(const QString& soundDir, const QString& zipName, SoundChoice choice);

// Plays the selected game's sound by the choice (zipName empty: no game selected).
// Whatever played before stops; an existing file is opened and played.
PlayOutcome PlayGameSound(GameSoundPlayer& player, const QString& soundDir, const QString& zipName,
                          SoundChoice choice);

// Stops playback if the player is playing; nothing else.
void StopGameSound(GameSoundPlayer& player);
