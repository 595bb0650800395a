#pragma once

#include "GameSettings.h"

#include <QObject>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

// The controls of the Settings page: one game's emulator settings shown and read back.
// The controls are built into the page's four groups; the record they show comes from
// a game settings file and is saved back into one by the window.
class SettingsPanel final : public QObject {
    Q_OBJECT

public:
    SettingsPanel(QGroupBox* display, QGroupBox* sound, QGroupBox* controls, QGroupBox* performance,
                  QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SettingsPanel)

    // Shows the record, then applies the display-mode rule. gameResolution is the
    // game's own screen size as the emulator lists it ("320x240", "?x?").
    void setSettings(const TGameSettingsObject& settings, const QString& gameResolution);
    // A fresh record from the controls. A list that shows no entry because the stored
    // value had none keeps the stored value; a typed frame skip is -1.
    TGameSettingsObject settings() const;

    // Triple buffering cannot be used with VGA: it is unchecked and disabled then.
    void CbDisplayModeChange();
    // Picking the separator line picks the entry above it.
    void CbResolutionChange(int index);

    // The entries of the lists.
    static const QStringList& displayModes();
    static const QStringList& resolutions();

    QComboBox* CbDisplayMode = nullptr;
    QLabel* LbGameRes = nullptr;
    QLabel* LbGameResolution = nullptr;
    QComboBox* CbResolution = nullptr;
    QGroupBox* RgScanLines = nullptr;
    QCheckBox* ChVsync = nullptr;
    QCheckBox* ChTripleBuffer = nullptr;
    QCheckBox* ChEagle = nullptr;
    QCheckBox* ChPixelDouble = nullptr;
    QCheckBox* ChFastSetPal = nullptr;
    QComboBox* CbSoundCard = nullptr;
    QComboBox* CbSamplingRate = nullptr;
    QGroupBox* RgYm3812 = nullptr;
    QCheckBox* ChDariusStereo = nullptr;
    QCheckBox* ChLeds = nullptr;
    QCheckBox* ChLimitSpeed = nullptr;
    QComboBox* CbFrameSkip = nullptr;
    QComboBox* CbShowFPS = nullptr;
    QCheckBox* ChRdtsc = nullptr;

private:
    void buildDisplay(QGroupBox* group);
    void buildSound(QGroupBox* group);
    void buildControls(QGroupBox* group);
    void buildPerformance(QGroupBox* group);
    QGroupBox* radioGroup(QWidget* parent, const char* name, const QString& caption,
                          const QStringList& choices, int columns, QButtonGroup** buttons);

    QButtonGroup* m_scanLines = nullptr;
    QButtonGroup* m_ym3812 = nullptr;
    TGameSettingsObject m_shown; // what the controls were last filled with
};
