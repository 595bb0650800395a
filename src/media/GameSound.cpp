#include "GameSound.h"

#include "FolderListing.h"
#include "MidiCheck.h"
#include "WavCheck.h"
#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <SDL.h>
#include <SDL_mixer.h>
#include <cstring>

namespace {

// MIDI files are small; anything near this size is no game's music, and reading it
// would hold up the window.
constexpr qint64 kMaxMidiBytes = 16 * 1024 * 1024;

const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

bool isMidiName(const QString& fileName) {
    return fileName.endsWith(u".mid", Qt::CaseInsensitive) ||
           fileName.endsWith(u".midi", Qt::CaseInsensitive);
}

} // namespace

QString soundFontPaths() {
    const QString fromEnvironment = qEnvironmentVariable("SDL_SOUNDFONTS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    for (const char* path : kSoundFonts) {
        if (QFileInfo(QString::fromLatin1(path)).isFile())
            return QString::fromLatin1(path);
    }
    return {};
}

void GameSoundPlayer::FreeMusic::operator()(_Mix_Music* music) const {
    Mix_FreeMusic(music);
}

GameSoundPlayer::GameSoundPlayer(std::chrono::milliseconds deviceRetry)
    : m_deviceRetry(deviceRetry) {}

GameSoundPlayer::~GameSoundPlayer() {
    close();
    closeDevice();
}

void GameSoundPlayer::closeDevice() {
    if (m_device != Device::Open)
        return;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = Device::Closed;
}

void GameSoundPlayer::releaseOutput() {
    if (m_device != Device::Open)
        return;
    close();
    closeDevice();
    m_device = Device::Released;
}

void GameSoundPlayer::restoreOutput() {
    if (m_device == Device::Released)
        openDevice();
}

SoundResult GameSoundPlayer::fail(SoundResult result, const QString& why) {
    m_error = why;
    return result;
}

SoundResult GameSoundPlayer::openDevice() {
    if (m_device == Device::Open)
        return SoundResult::Ok;
    const auto now = std::chrono::steady_clock::now();
    if (m_device == Device::Missing && now - m_deviceFailedAt < m_deviceRetry)
        return fail(SoundResult::NoDevice, m_error);

    // Audio brings SDL's event subsystem, whose own SIGINT and SIGTERM handlers would
    // replace the program's: a desktop session ending would then not save the settings.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_device = Device::Missing;
        m_deviceFailedAt = now;
        return fail(SoundResult::NoDevice, QString::fromUtf8(SDL_GetError()));
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        const QString why = QString::fromUtf8(Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_device = Device::Missing;
        m_deviceFailedAt = now;
        return fail(SoundResult::NoDevice, why);
    }
    m_device = Device::Open;
    // With SDL_SOUNDFONTS set, SDL_mixer takes it from the environment itself.
    if (qEnvironmentVariable("SDL_SOUNDFONTS").isEmpty()) {
        const QString font = soundFontPaths();
        if (!font.isEmpty())
            Mix_SetSoundFonts(QFile::encodeName(font).constData());
    }
    return SoundResult::Ok;
}

SoundResult GameSoundPlayer::open(const QString& fileName) {
    close();
    const SoundResult device = openDevice();
    if (device != SoundResult::Ok)
        return device;

    // Only a regular file: reading a pipe or a device could wait for ever.
    if (!QFileInfo(fileName).isFile())
        return fail(SoundResult::BadFile, QStringLiteral("not a regular file"));
    SDL_RWops* source = nullptr;
    Mix_MusicType type = MUS_NONE;
    if (isMidiName(fileName)) {
        type = MUS_MID;
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return fail(SoundResult::BadFile, file.errorString());
        if (file.size() > kMaxMidiBytes)
            return fail(SoundResult::BadFile, QStringLiteral("too large for a MIDI file"));
        m_bytes = file.readAll();
        if (file.error() != QFileDevice::NoError || !isPlayableMidi(m_bytes)) {
            m_bytes.clear();
            return fail(SoundResult::BadFile, file.error() != QFileDevice::NoError
                                                  ? file.errorString()
                                                  : QStringLiteral("not a well-formed MIDI file"));
        }
        source = SDL_RWFromConstMem(m_bytes.constData(), int(m_bytes.size()));
    } else {
        if (fileName.endsWith(u".wav", Qt::CaseInsensitive)) {
            type = MUS_WAV;
            QFile file(fileName);
            if (!file.open(QIODevice::ReadOnly))
                return fail(SoundResult::BadFile, file.errorString());
            if (!isPlayableWav(file))
                return fail(SoundResult::BadFile, QStringLiteral("not a well-formed WAV file"));
        }
        source = SDL_RWFromFile(QFile::encodeName(fileName).constData(), "rb");
    }
    if (!source) {
        m_bytes.clear();
        return fail(SoundResult::BadFile, QString::fromUtf8(SDL_GetError()));
    }
    m_music.reset(Mix_LoadMUSType_RW(source, type, 1));
    if (!m_music) {
        m_bytes.clear();
        return fail(SoundResult::BadFile, QString::fromUtf8(Mix_GetError()));
    }
    m_fileName = fileName;
    m_error.clear();
    return SoundResult::Ok;
}

SoundResult GameSoundPlayer::play() {
    if (m_device == Device::Missing)
        return fail(SoundResult::NoDevice, m_error);
    if (!m_music)
        return fail(SoundResult::BadFile, QStringLiteral("no file is open"));
    if (Mix_PlayMusic(m_music.get(), 1) != 0)
        return fail(SoundResult::BadFile, QString::fromUtf8(Mix_GetError()));
    m_error.clear();
    return SoundResult::Ok;
}

bool GameSoundPlayer::isPlaying() const {
    return m_music && Mix_PlayingMusic();
}

void GameSoundPlayer::stop() {
    if (m_music)
        Mix_HaltMusic();
}

void GameSoundPlayer::close() {
    stop();
    m_music.reset();
    m_bytes.clear();
    m_fileName.clear();
}

QString gameSoundFile(const QString& soundDir, const QString& zipName, SoundChoice choice) {
    if (choice == SoundChoice::None || !platform::isSafeFileName(zipName))
        return {};
    const QString name =
        zipName + (choice == SoundChoice::Music ? QStringLiteral(".mid") : QStringLiteral(".wav"));
    if (QFileInfo(soundDir + name).isFile())
        return soundDir + name;
    QString found;
    const QString lower = name.toLower();
    const auto [first, last] = namesStartingWith(folderListing(soundDir), lower);
    for (auto it = first; it != last && found.isEmpty(); ++it) {
        if (it->lower == lower)
            found = it->onDisk;
    }
    // The listing tells directories from the rest; pipes and devices are no sound files.
    if (found.isEmpty() || !QFileInfo(soundDir + found).isFile())
        return {};
    return soundDir + found;
}

PlayOutcome PlayGameSound(GameSoundPlayer& player, const QString& soundDir, const QString& zipName,
                          SoundChoice choice) {
    const QString file = zipName.isEmpty() ? QString() : gameSoundFile(soundDir, zipName, choice);
    if (file.isEmpty()) {
        StopGameSound(player);
        player.close();
        return PlayOutcome::Stopped;
    }
    SoundResult result = player.open(file);
    if (result == SoundResult::Ok)
        result = player.play();
    switch (result) {
    case SoundResult::Ok:
        return PlayOutcome::Playing;
    case SoundResult::NoDevice:
        return PlayOutcome::Silent;
    case SoundResult::BadFile:
        break;
    }
    return PlayOutcome::Beep;
}

void StopGameSound(GameSoundPlayer& player) {
    if (player.isPlaying())
        player.stop();
}
