#include "DemoSounds.h"
#include "TestSupport.h"
#include "media/GameSound.h"
#include "media/MidiCheck.h"
#include "media/WavCheck.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using testsupport::FrontEndDir;
using testsupport::ScopedEnv;
using namespace Qt::StringLiterals;

const char* outcomeName(PlayOutcome outcome) {
    static const char* const names[] = {"Playing", "Stopped", "Silent", "Beep"};
    return names[int(outcome)];
}

char* toString(PlayOutcome outcome) {
    return qstrdup(outcomeName(outcome));
}

namespace {

QByteArray demoSound(const std::string& path) {
    for (const auto& [name, bytes] : demo::demoSounds()) {
        if (name == path)
            return QByteArray::fromStdString(bytes);
    }
    return {};
}

QByteArray bigEndian(quint32 value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(value >> (8 * i));
    return out;
}

QByteArray midiHeader(quint16 format, quint16 tracks, quint16 division, quint32 length = 6) {
    return "MThd" + bigEndian(length, 4) + bigEndian(format, 2) + bigEndian(tracks, 2) +
           bigEndian(division, 2) + QByteArray(int(length) - 6 > 0 ? int(length) - 6 : 0, '\0');
}

QByteArray littleEndian(quint32 value) {
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i));
    return out;
}

// A WAV file of the given chunks (each "id" + body; the size is added), with the RIFF
// size given or, by default, as the chunks make it.
QByteArray wav(const QList<std::pair<QByteArray, QByteArray>>& chunks, qint64 riffSize = -1) {
    QByteArray body = "WAVE";
    for (const auto& [id, data] : chunks)
        body += id + littleEndian(quint32(data.size())) + data + QByteArray(data.size() % 2, '\0');
    return "RIFF" + littleEndian(quint32(riffSize < 0 ? body.size() : riffSize)) + body;
}

QByteArray chunk(const char* tag, const QByteArray& body) {
    return tag + bigEndian(quint32(body.size()), 4) + body;
}

// A note, its end by running status, the end of the track.
const QByteArray kTrack("\x00\x90\x3c\x64\x60\x3c\x00\x00\xff\x2f\x00", 11);

SoundChoice choiceFromName(QStringView name) {
    if (name == u"music")
        return SoundChoice::Music;
    return name == u"samples" ? SoundChoice::Samples : SoundChoice::None;
}

// What the child does: play the game's sound by the choice until it ends, then quit.
// Run with the disk audio driver, the output file holds what would have been heard.
int playChild(const char* soundDir, const char* zip, const char* choice) {
    GameSoundPlayer player;
    const PlayOutcome outcome =
        PlayGameSound(player, QString::fromLocal8Bit(soundDir), QString::fromLocal8Bit(zip),
                      choiceFromName(QString::fromLatin1(choice)));
    std::printf("%s\n", outcomeName(outcome));
    std::fflush(stdout);
    QDeadlineTimer deadline(20000);
    while (player.isPlaying() && !deadline.hasExpired())
        QThread::msleep(10);
    return 0;
}

// The 16-bit samples of a raw output file louder than a faint hiss.
qsizetype loudSamples(const QByteArray& raw) {
    qsizetype loud = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        qint16 sample = 0;
        std::memcpy(&sample, raw.constData() + i, 2);
        if (sample > 1000 || sample < -1000)
            ++loud;
    }
    return loud;
}

} // namespace

class TestGameSound : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<FrontEndDir>();
        for (const auto& [name, bytes] : demo::demoSounds())
            m_dir->writeFile(QString::fromStdString(name), QByteArray::fromStdString(bytes));
        m_soundDir = m_dir->file(u"Sound/"_s);
        m_player = std::make_unique<GameSoundPlayer>();
    }
    void cleanup() {
        m_player.reset();
        m_dir.reset();
    }

    void midiCheck_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("playable");
        const QByteArray good = demoSound("Sound/lumabolt.mid");
        const QByteArray track = chunk("MTrk", kTrack);
        QTest::newRow("demo tune, one track") << good << true;
        QTest::newRow("demo tune, two tracks") << demoSound("Sound/cogrider.mid") << true;
        QTest::newRow("unknown chunk skipped")
            << midiHeader(0, 1, 96) + chunk("XFIH", "data") + track << true;
        QTest::newRow("longer header") << midiHeader(1, 1, 96, 8) + track << true;
        QTest::newRow("bytes after the last track")
            << midiHeader(0, 1, 96) + track + QByteArray(2, '\0') << true;

        QTest::newRow("zero-length file") << QByteArray() << false;
        QTest::newRow("bad header tag") << "MThx" + good.mid(4) << false;
        QTest::newRow("header too short") << midiHeader(0, 1, 96, 4) + track << false;
        QTest::newRow("format 3") << midiHeader(3, 1, 96) + track << false;
        QTest::newRow("no tracks") << midiHeader(0, 0, 96) + track << false;
        QTest::newRow("no ticks per beat") << midiHeader(0, 1, 0) + track << false;
        QTest::newRow("SMPTE timing") << midiHeader(0, 1, 0xe728) + track << false;
        QTest::newRow("truncated track") << good.left(good.size() - 10) << false;
        QTest::newRow("track length beyond the file")
            << midiHeader(0, 1, 96) + "MTrk" + bigEndian(quint32(kTrack.size() + 1), 4) + kTrack
            << false;
        QTest::newRow("track length near 4 GiB")
            << midiHeader(0, 1, 96) + "MTrk" + bigEndian(0xfffffff0u, 4) + kTrack << false;
        QTest::newRow("fewer tracks than counted") << midiHeader(1, 2, 96) + track << false;
        QTest::newRow("no end of track")
            << midiHeader(0, 1, 96) + chunk("MTrk", kTrack.left(8)) << false;
        QTest::newRow("event cut by the chunk end")
            << midiHeader(0, 1, 96) + chunk("MTrk", "\x00\x90\x3c") << false;
        QTest::newRow("meta event longer than the track")
            << midiHeader(0, 1, 96) + chunk("MTrk", QByteArray("\x00\xff\x01\x40text", 8)) << false;
        QTest::newRow("data byte without a status")
            << midiHeader(0, 1, 96) + chunk("MTrk", QByteArray("\x00\x3c\x64", 3) + kTrack)
            << false;
        QTest::newRow("WAV file") << demoSound("Sound/lumabolt.wav") << false;
    }

    void midiCheck() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, playable);
        QCOMPARE(isPlayableMidi(bytes), playable);
    }

    // The WAV check: every chunk must end inside the RIFF chunk, and that inside the file
    // (a RIFF chunk that claims more ends with it). Where it says so, the sound library
    // opens the file too.
    void wavCheck_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("playable");
        QTest::addColumn<bool>("opens");
        // PCM, one channel, 22050 samples a second of 16 bits.
        const QByteArray fmt = QByteArray::fromHex("0100010022560000"
                                                   "44ac000002001000");
        const QByteArray samples(100, '\2');
        QTest::newRow("demo samples") << demoSound("Sound/lumabolt.wav") << true << true;
        // The sound library of Debian 12 skips no pad byte: it does not open this one.
        QTest::newRow("odd chunk with its pad byte")
            << wav({{"fmt ", fmt}, {"LIST", "abc"}, {"data", samples}}) << true << false;
        QTest::newRow("data claims 4 GB")
            << wav({{"fmt ", fmt}, {"data", samples}}).replace(40, 4, littleEndian(0xFFFFFFF0))
            << false << false;
        QTest::newRow("a list chunk claims 4 GB")
            << wav({{"fmt ", fmt}, {"LIST", "abcd"}, {"data", samples}})
                   .replace(40, 4, littleEndian(0xFFFFFFF0))
            << false << false;
        // Streamed recordings: a writer to a pipe leaves the largest sizes.
        QTest::newRow("RIFF size beyond the file")
            << wav({{"fmt ", fmt}, {"data", samples}}, 0xFFFFFFF0) << true << true;
        QTest::newRow("streamed recording") << wav({{"fmt ", fmt}, {"data", samples}}, 0xFFFFFFFF)
                                                   .replace(40, 4, littleEndian(0xFFFFFFFF))
                                            << true << true;
        QTest::newRow("streamed, odd length")
            << wav({{"fmt ", fmt}, {"data", samples + 'x'}}, 0xFFFFFFFF)
                   .chopped(1)
                   .replace(40, 4, littleEndian(0xFFFFFFFF))
            << true << true;
        QTest::newRow("streamed, a list chunk claims 4 GB")
            << wav({{"fmt ", fmt}, {"LIST", "abcd"}, {"data", samples}}, 0xFFFFFFFF)
                   .replace(40, 4, littleEndian(0xFFFFFFFF))
            << false << false;
        QTest::newRow("streamed, the format after the sound")
            << wav({{"data", samples}, {"fmt ", fmt}}, 0xFFFFFFFF)
                   .replace(16, 4, littleEndian(0xFFFFFFFF))
            << false << false;
        QTest::newRow("cut short")
            << wav({{"fmt ", fmt}, {"data", samples}}).chopped(1) << false << false;
        QTest::newRow("no data") << wav({{"fmt ", fmt}}) << false << false;
        QTest::newRow("short format")
            << wav({{"fmt ", "1234"}, {"data", samples}}) << false << false;
        QTest::newRow("not WAVE") << wav({{"fmt ", fmt}, {"data", samples}}).replace(8, 4, "AVI ")
                                  << false << false;
        QTest::newRow("empty") << QByteArray() << false << false;
    }
    void wavCheck() {
        QFETCH(QByteArray, file);
        QFETCH(bool, playable);
        QFETCH(bool, opens);
        QBuffer device(&file);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QCOMPARE(isPlayableWav(device), playable);
        if (!opens)
            return;
        m_dir->writeFile(u"Sound/checked.wav"_s, file);
        const SoundResult opened = m_player->open(m_soundDir + u"checked.wav"_s);
        if (opened == SoundResult::NoDevice)
            QSKIP("no sound device");
        QCOMPARE(opened, SoundResult::Ok);
    }

    void soundFileByChoiceAndName() {
        const auto file = [&](const QString& zip, SoundChoice choice) {
            const QString path = gameSoundFile(m_soundDir, zip, choice);
            return path.isEmpty() ? QString() : path.mid(m_soundDir.size());
        };
        QCOMPARE(file(u"lumabolt"_s, SoundChoice::Music), u"lumabolt.mid"_s);
        QCOMPARE(file(u"lumabolt"_s, SoundChoice::Samples), u"lumabolt.wav"_s);
        QCOMPARE(file(u"lumabolt"_s, SoundChoice::None), QString());
        QCOMPARE(file(u"mirefox"_s, SoundChoice::Music), QString());
        QCOMPARE(file(u"nosound"_s, SoundChoice::Samples), QString());

        // Other spellings are found, the exact one first, otherwise the first by name.
        QVERIFY(QFile::rename(m_soundDir + u"cogrider.mid"_s, m_soundDir + u"CogRider.MID"_s));
        QCOMPARE(file(u"cogrider"_s, SoundChoice::Music), u"CogRider.MID"_s);
        m_dir->writeFile(u"Sound/COGRIDER.mid"_s, "x");
        QCOMPARE(file(u"cogrider"_s, SoundChoice::Music), u"COGRIDER.mid"_s);
        m_dir->writeFile(u"Sound/cogrider.mid"_s, "x");
        QCOMPARE(file(u"cogrider"_s, SoundChoice::Music), u"cogrider.mid"_s);

        // Only files count, and a zip name never leads out of the folder.
        m_dir->makeDir(u"Sound/folder.mid"_s);
        m_dir->makeDir(u"Sound/Folder2.MID"_s);
        QCOMPARE(file(u"folder"_s, SoundChoice::Music), QString());
        QCOMPARE(file(u"folder2"_s, SoundChoice::Music), QString());
        // A pipe is no sound file: opening it would wait for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(m_soundDir + u"piped.mid"_s).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(m_soundDir + u"Piped2.MID"_s).constData(), 0600), 0);
        QCOMPARE(file(u"piped"_s, SoundChoice::Music), QString());
        QCOMPARE(file(u"piped2"_s, SoundChoice::Music), QString());
        QCOMPARE(m_player->open(m_soundDir + u"piped.mid"_s), SoundResult::BadFile);
        m_dir->writeFile(u"outside.mid"_s, "x");
        QCOMPARE(file(u"../outside"_s, SoundChoice::Music), QString());
        QCOMPARE(file(QString(), SoundChoice::Music), QString());
        QCOMPARE(gameSoundFile(m_dir->file(u"NoSuchDir/"_s), u"lumabolt"_s, SoundChoice::Music),
                 QString());
    }

    void soundFontSearch() {
        const QString found = soundFontPaths();
        QVERIFY(found.isEmpty() || QFile::exists(found));
        ScopedEnv env("SDL_SOUNDFONTS", "/somewhere/mine.sf2");
        QCOMPARE(soundFontPaths(), u"/somewhere/mine.sf2"_s);
    }

    // A session of selections: what plays and what stops.
    void selectionsPlayAndStop() {
        if (soundFontPaths().isEmpty())
            QSKIP("MIDI needs a General MIDI soundfont (package timgm6mb-soundfont)");
        GameSoundPlayer& player = *m_player;
        const auto play = [&](const QString& zip, SoundChoice choice) {
            return PlayGameSound(player, m_soundDir, zip, choice);
        };

        // The program's own handler of termination signals survives the sound output
        // being opened (it is what saves the settings when the session ends).
        struct sigaction ours = {};
        ours.sa_handler = [](int) {};
        struct sigaction before = {};
        QCOMPARE(sigaction(SIGTERM, &ours, &before), 0);
        QCOMPARE(play(u"lumabolt"_s, SoundChoice::Music), PlayOutcome::Playing);
        QVERIFY(player.isPlaying());
        QCOMPARE(player.fileName(), m_soundDir + u"lumabolt.mid"_s);
        struct sigaction now = {};
        QCOMPARE(sigaction(SIGTERM, &before, &now), 0);
        QVERIFY(now.sa_handler == ours.sa_handler);

        // A game with samples only is silent under Music, and stops the music before.
        QCOMPARE(play(u"mirefox"_s, SoundChoice::Music), PlayOutcome::Stopped);
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.fileName(), QString());

        QCOMPARE(play(u"mirefox"_s, SoundChoice::Samples), PlayOutcome::Playing);
        QVERIFY(player.isPlaying());
        QCOMPARE(play(u"nosound"_s, SoundChoice::Samples), PlayOutcome::Stopped);
        QVERIFY(!player.isPlaying());

        QCOMPARE(play(u"cogrider"_s, SoundChoice::Music), PlayOutcome::Playing);
        QCOMPARE(play(u"cogrider"_s, SoundChoice::None), PlayOutcome::Stopped);
        QVERIFY(!player.isPlaying());

        // No game selected: nothing plays, whatever the choice.
        for (SoundChoice choice : {SoundChoice::Music, SoundChoice::Samples, SoundChoice::None}) {
            QCOMPARE(play(u"lumabolt"_s, SoundChoice::Samples), PlayOutcome::Playing);
            QCOMPARE(play(QString(), choice), PlayOutcome::Stopped);
            QVERIFY(!player.isPlaying());
            QCOMPARE(player.fileName(), QString());
        }

        // A file plays once; choosing the item again plays it again from the start.
        QCOMPARE(play(u"lumabolt"_s, SoundChoice::Samples), PlayOutcome::Playing);
        QCOMPARE(play(u"lumabolt"_s, SoundChoice::Samples), PlayOutcome::Playing);
        QVERIFY(player.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 15000);
        QCOMPARE(play(u"lumabolt"_s, SoundChoice::Samples), PlayOutcome::Playing);
        QVERIFY(player.isPlaying());

        // Stopping keeps the file; a second stop does no harm.
        StopGameSound(player);
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.fileName(), m_soundDir + u"lumabolt.wav"_s);
        StopGameSound(player);
        QCOMPARE(player.play(), SoundResult::Ok);
        QVERIFY(player.isPlaying());
    }

    void brokenFileBeepsOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = demoSound("Sound/lumabolt.mid");
        QByteArray beyond = good;
        beyond.replace(18, 4, bigEndian(quint32(good.size()), 4));
        QTest::newRow("truncated track") << "broken.mid" << good.left(good.size() - 7);
        QTest::newRow("bad header") << "broken.mid"
                                    << "MThd" + bigEndian(2, 4) + good.mid(8);
        QTest::newRow("track length beyond the file") << "broken.mid" << beyond;
        QTest::newRow("zero-length file") << "broken.mid" << QByteArray();
        QTest::newRow("WAV named .mid") << "broken.mid" << demoSound("Sound/lumabolt.wav");
        QTest::newRow("not a WAV") << "broken.wav" << QByteArray("RIFF\x04\0\0\0WAVE", 12);
        QByteArray claims = demoSound("Sound/lumabolt.wav");
        claims.replace(40, 4, "\xf0\xff\xff\xff");
        QTest::newRow("WAV data claiming 4 GB") << "broken.wav" << claims;
        QTest::newRow("MIDI named .wav") << "broken.wav" << good;
    }

    void brokenFileBeepsOnce() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        m_dir->writeFile(u"Sound/"_s + name, bytes);
        const SoundChoice choice =
            name.endsWith(u".mid") ? SoundChoice::Music : SoundChoice::Samples;

        QCOMPARE(PlayGameSound(*m_player, m_soundDir, u"lumabolt"_s, SoundChoice::Samples),
                 PlayOutcome::Playing);
        QCOMPARE(PlayGameSound(*m_player, m_soundDir, u"broken"_s, choice), PlayOutcome::Beep);
        QVERIFY(!m_player->isPlaying());
        QVERIFY(!m_player->errorText().isEmpty());
        // The next selection plays as ever.
        QCOMPARE(PlayGameSound(*m_player, m_soundDir, u"mirefox"_s, SoundChoice::Samples),
                 PlayOutcome::Playing);
        QVERIFY(m_player->isPlaying());
    }

    // Without sound output the program stays silent, and asks again only after a while.
    void noDeviceIsSilentAndRetriedLater() {
        m_player.reset();
        m_dir->writeFile(u"Sound/broken.wav"_s, "not a sound");
        GameSoundPlayer player(std::chrono::seconds(2));
        {
            ScopedEnv env("SDL_AUDIODRIVER", "no-such-driver");
            QCOMPARE(PlayGameSound(player, m_soundDir, u"lumabolt"_s, SoundChoice::Samples),
                     PlayOutcome::Silent);
            QVERIFY(!player.errorText().isEmpty());
            QCOMPARE(PlayGameSound(player, m_soundDir, u"broken"_s, SoundChoice::Samples),
                     PlayOutcome::Silent);
            QCOMPARE(PlayGameSound(player, m_soundDir, u"nosound"_s, SoundChoice::Samples),
                     PlayOutcome::Stopped);
            QVERIFY(!player.isPlaying());
            StopGameSound(player);
        }
        // The driver is back, but the player does not look before the retry time.
        QCOMPARE(PlayGameSound(player, m_soundDir, u"lumabolt"_s, SoundChoice::Samples),
                 PlayOutcome::Silent);
        QTRY_COMPARE_WITH_TIMEOUT(
            PlayGameSound(player, m_soundDir, u"lumabolt"_s, SoundChoice::Samples),
            PlayOutcome::Playing, 15000);
        QVERIFY(player.isPlaying());
    }

    // The sound as it would reach the speakers, written by SDL's disk driver in a child.
    void soundIsHeard_data() {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("audible");
        QTest::newRow("samples") << "lumabolt"
                                 << "samples"
                                 << "Playing" << true;
        QTest::newRow("no sound") << "lumabolt"
                                  << "none"
                                  << "Stopped" << false;
        QTest::newRow("samples only, music chosen") << "mirefox"
                                                    << "music"
                                                    << "Stopped" << false;
        QTest::newRow("music") << "lumabolt"
                               << "music"
                               << "Playing" << true;
        QTest::newRow("music in two tracks") << "cogrider"
                                             << "music"
                                             << "Playing" << true;
    }

    void soundIsHeard() {
        QFETCH(QString, zip);
        QFETCH(QString, choice);
        QFETCH(QString, outcome);
        QFETCH(bool, audible);
        if (choice == u"music" && audible && soundFontPaths().isEmpty())
            QSKIP("MIDI needs a General MIDI soundfont (package timgm6mb-soundfont)");

        const QString output = m_dir->file(u"audio.raw"_s);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"SDL_AUDIODRIVER"_s, u"disk"_s);
        env.insert(u"SDL_DISKAUDIOFILE"_s, output);
        env.insert(u"SDL_DISKAUDIODELAY"_s, u"1"_s); // about forty times real time
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--play-child"_s, m_soundDir, zip, choice});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 errors.constData());
        QCOMPARE(QString::fromLatin1(child.readAllStandardOutput().trimmed()), outcome);

        QFile raw(output);
        const qsizetype loud = raw.open(QIODevice::ReadOnly) ? loudSamples(raw.readAll()) : 0;
        if (audible)
            QVERIFY2(loud > 10000, qPrintable(u"%1 loud samples"_s.arg(loud)));
        else
            QCOMPARE(loud, 0);
    }

private:
    std::unique_ptr<FrontEndDir> m_dir;
    std::unique_ptr<GameSoundPlayer> m_player;
    QString m_soundDir;
};

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--play-child") == 0)
        return playChild(argv[2], argv[3], argv[4]);
    QCoreApplication app(argc, argv);
    TestGameSound test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gamesound.moc"
