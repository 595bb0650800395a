#include "SettingsPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kGameResolutionHint =
    QStringLiteral("This Resolution is based on this game's screenshot dimensions.");

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& entries, bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1StringView(name));
    box->addItems(entries);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(200);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1StringView(name));
    return box;
}

// The entry the box shows: its index, or -1 for a text typed that no entry has.
int shownIndex(const QComboBox* box) {
    if (!box->isEditable())
        return box->currentIndex();
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QFormLayout* formLayout() {
    auto* layout = new QFormLayout;
    layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    layout->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return layout;
}

} // namespace

const QStringList& SettingsPanel::displayModes() {
    static const QStringList modes = {QStringLiteral("Autodetect"),
                                      QStringLiteral("VGA"),
                                      QStringLiteral("Mode-X"),
                                      QStringLiteral("VESA 1.x"),
                                      QStringLiteral("VESA 2.0 (banked)"),
                                      QStringLiteral("VESA 2.0 (linear)"),
                                      QStringLiteral("VESA 3.0"),
                                      QStringLiteral("VBE/AF")};
    return modes;
}

const QStringList& SettingsPanel::resolutions() {
    static const QStringList entries =
        QStringLiteral(
            "320x200 320x240 640x400 640x480 800x600 1024x768 1280x1024 1600x1200 "
            "----------------- 80x80 160x120 256x200 256x224 256x240 256x256 320x100 320x350 "
            "320x400 320x480 320x600 360x200 360x240 360x270 360x360 360x400 360x480 360x600 "
            "372x282 376x308 376x564 400x150 400x300 400x600 512x384 640x100 640x120 640x150 "
            "640x160 640x200 640x240 800x150 800x200 800x300 1024x192 1024x256 1024x384")
            .split(u' ');
    return entries;
}

SettingsPanel::SettingsPanel(QGroupBox* display, QGroupBox* sound, QGroupBox* controls,
                             QGroupBox* performance, QObject* parent)
    : QObject(parent) {
    setObjectName(QStringLiteral("SettingsPanel"));
    buildDisplay(display);
    buildSound(sound);
    buildControls(controls);
    buildPerformance(performance);
    setSettings(TGameSettingsObject(), QStringLiteral("Unkown"));
    LbGameResolution->setText(QStringLiteral("Unkown"));
}

QGroupBox* SettingsPanel::radioGroup(QWidget* parent, const char* name, const QString& caption,
                                     const QStringList& choices, int columns,
                                     QButtonGroup** buttons) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1StringView(name));
    auto* grid = new QGridLayout(group);
    *buttons = new QButtonGroup(group);
    for (int i = 0; i < choices.size(); ++i) {
        auto* button = new QRadioButton(choices[i], group);
        button->setObjectName(QStringLiteral("%1%2").arg(QLatin1StringView(name)).arg(i));
        (*buttons)->addButton(button, i);
        grid->addWidget(button, i / columns, i % columns);
    }
    // The choices stay together on the left however wide the page is.
    grid->setColumnStretch(columns, 1);
    return group;
}

void SettingsPanel::buildDisplay(QGroupBox* group) {
    auto* layout = formLayout();
    CbDisplayMode = comboBox(group, "CbDisplayMode", displayModes(), false);
    layout->addRow(QStringLiteral("Mode"), CbDisplayMode);

    LbGameRes = new QLabel(QStringLiteral("Game's Resolution: "), group);
    LbGameRes->setObjectName(QStringLiteral("LbGameRes"));
    LbGameResolution = new QLabel(group);
    LbGameResolution->setObjectName(QStringLiteral("LbGameResolution"));
    for (QLabel* label : {LbGameRes, LbGameResolution})
        label->setToolTip(kGameResolutionHint);
    layout->addRow(LbGameRes, LbGameResolution);

    CbResolution = comboBox(group, "CbResolution", resolutions(), true);
    CbResolution->lineEdit()->setMaxLength(TGameSettingsObject().Resolution.maxLength);
    CbResolution->setMaxVisibleItems(10);
    layout->addRow(QStringLiteral("Resolution"), CbResolution);
    connect(CbResolution, &QComboBox::currentIndexChanged, this,
            &SettingsPanel::CbResolutionChange);

    RgScanLines = radioGroup(
        group, "RgScanLines", QStringLiteral("Scanlines"),
        {QStringLiteral("None"), QStringLiteral("Full"), QStringLiteral("Half")}, 3, &m_scanLines);
    layout->addRow(RgScanLines);
    ChVsync = checkBox(group, "ChVsync", QStringLiteral("Vsync (very slow)"));
    ChTripleBuffer = checkBox(group, "ChTripleBuffer", QStringLiteral("Triple Buffering"));
    ChEagle = checkBox(group, "ChEagle", QStringLiteral("Eagle Smoothing"));
    ChPixelDouble = checkBox(group, "ChPixelDouble", QStringLiteral("Double GameScreen"));
    ChFastSetPal = checkBox(group, "ChFastSetPal", QStringLiteral("Fast Palette Loading"));
    for (QCheckBox* box : {ChVsync, ChTripleBuffer, ChEagle, ChPixelDouble, ChFastSetPal})
        layout->addRow(box);
    delete group->layout();
    group->setLayout(layout);
    connect(CbDisplayMode, &QComboBox::currentIndexChanged, this,
            &SettingsPanel::CbDisplayModeChange);
}

void SettingsPanel::buildSound(QGroupBox* group) {
    auto* layout = formLayout();
    CbSoundCard =
        comboBox(group, "CbSoundCard",
                 {QStringLiteral("None"), QStringLiteral("Sound Blaster"),
                  QStringLiteral("Sound Blaster AWE 32"), QStringLiteral("Pro Audio Spectrum"),
                  QStringLiteral("Ultrasound Max (CS4231 Codec)"), QStringLiteral("Ultrasound"),
                  QStringLiteral("Windows Sound System"), QStringLiteral("Ensoniq Soundscape")},
                 false);
    layout->addRow(QStringLiteral("Card"), CbSoundCard);
    CbSamplingRate =
        comboBox(group, "CbSamplingRate",
                 {QStringLiteral("11025"), QStringLiteral("22050"), QStringLiteral("44100")}, true);
    CbSamplingRate->lineEdit()->setMaxLength(TGameSettingsObject().SamplingRate.maxLength);
    layout->addRow(QStringLiteral("Sampling Rate"), CbSamplingRate);
    RgYm3812 = radioGroup(group, "RgYm3812", QStringLiteral("YM3812 Emulation"),
                          {QStringLiteral("Hardware"), QStringLiteral("Software")}, 2, &m_ym3812);
    layout->addRow(RgYm3812);
    ChDariusStereo = checkBox(group, "ChDariusStereo", QStringLiteral("Darius Stereo Emulation"));
    layout->addRow(ChDariusStereo);
    delete group->layout();
    group->setLayout(layout);
}

void SettingsPanel::buildControls(QGroupBox* group) {
    ChLeds = checkBox(group, "ChLeds", QStringLiteral("Use keyboard LEDs"));
    group->layout()->addWidget(ChLeds);
}

void SettingsPanel::buildPerformance(QGroupBox* group) {
    auto* layout = formLayout();
    ChLimitSpeed = checkBox(group, "ChLimitSpeed", QStringLiteral("Limit Speed"));
    layout->addRow(ChLimitSpeed);
    CbFrameSkip = comboBox(group, "CbFrameSkip",
                           {QStringLiteral("Automatic"), QStringLiteral("All Frames"),
                            QStringLiteral("Every 2nd"), QStringLiteral("Every 3rd"),
                            QStringLiteral("Every 4th"), QStringLiteral("Every 5th"),
                            QStringLiteral("Every 6th"), QStringLiteral("Every 7th"),
                            QStringLiteral("Every 8th"), QStringLiteral("Every 9th")},
                           true);
    layout->addRow(QStringLiteral("Frame Skip"), CbFrameSkip);
    CbShowFPS =
        comboBox(group, "CbShowFPS",
                 {QStringLiteral("Nothing"), QStringLiteral("FPS"), QStringLiteral("Average FPS"),
                  QStringLiteral("Rtdsc (percentages)"), QStringLiteral("Rtdsc (cycle count)")},
                 false);
    layout->addRow(QStringLiteral("Show"), CbShowFPS);
    ChRdtsc = checkBox(group, "ChRdtsc", QStringLiteral("Use Rdtsc"));
    layout->addRow(ChRdtsc);
    delete group->layout();
    group->setLayout(layout);
}

// The controls and the fields they show, one row each; fill and read walk the same rows.
namespace {

template <class Control, class Field> struct Binding {
    Control* SettingsPanel::*control;
    Field TGameSettingsObject::*field;
};

using IndexBinding = Binding<QComboBox, int>;
using CheckBinding = Binding<QCheckBox, bool>;

constexpr IndexBinding kLists[] = {
    {&SettingsPanel::CbDisplayMode, &TGameSettingsObject::ScreenMode},
    {&SettingsPanel::CbSoundCard, &TGameSettingsObject::SoundCard},
    {&SettingsPanel::CbFrameSkip, &TGameSettingsObject::Frame_Skip},
    {&SettingsPanel::CbShowFPS, &TGameSettingsObject::ShowFPS},
};

constexpr CheckBinding kChecks[] = {
    {&SettingsPanel::ChVsync, &TGameSettingsObject::Vsync},
    {&SettingsPanel::ChTripleBuffer, &TGameSettingsObject::TripleBuffer},
    {&SettingsPanel::ChEagle, &TGameSettingsObject::Eagle},
    {&SettingsPanel::ChPixelDouble, &TGameSettingsObject::PixelDouble},
    {&SettingsPanel::ChFastSetPal, &TGameSettingsObject::FastSetPal},
    {&SettingsPanel::ChDariusStereo, &TGameSettingsObject::DariusStereo},
    {&SettingsPanel::ChLeds, &TGameSettingsObject::UseLeds},
    {&SettingsPanel::ChLimitSpeed, &TGameSettingsObject::LimitSpeed},
    {&SettingsPanel::ChRdtsc, &TGameSettingsObject::UseRdtsc},
};

void checkButton(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    // A value no choice stands for: none is checked.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

} // namespace

void SettingsPanel::setSettings(const TGameSettingsObject& s, const QString& gameResolution) {
    m_shown = s;
    for (const IndexBinding& row : kLists) {
        QComboBox* box = this->*row.control;
        const int index = s.*row.field;
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
        if (box->isEditable() && box->currentIndex() < 0)
            box->setEditText(QString());
    }
    for (const CheckBinding& row : kChecks)
        (this->*row.control)->setChecked(s.*row.field);
    LbGameResolution->setText(gameResolution);
    CbResolution->setEditText(s.Resolution);
    CbSamplingRate->setEditText(s.SamplingRate);
    checkButton(m_scanLines, s.Scanlines);
    checkButton(m_ym3812, s.Ym3812);
    CbDisplayModeChange();
}

TGameSettingsObject SettingsPanel::settings() const {
    TGameSettingsObject s;
    for (const IndexBinding& row : kLists) {
        const QComboBox* box = this->*row.control;
        const int index = shownIndex(box);
        // A fixed list shows no entry only for a stored value it does not offer
        // (a hand-edited file): that value stays rather than turning into -1.
        s.*row.field = index < 0 && !box->isEditable() ? m_shown.*row.field : index;
    }
    for (const CheckBinding& row : kChecks)
        s.*row.field = (this->*row.control)->isChecked();
    s.Resolution = CbResolution->currentText();
    s.SamplingRate = CbSamplingRate->currentText();
    const int scanLines = m_scanLines->checkedId();
    s.Scanlines = scanLines >= 0 ? scanLines : m_shown.Scanlines;
    const int ym3812 = m_ym3812->checkedId();
    s.Ym3812 = ym3812 >= 0 ? ym3812 : m_shown.Ym3812;
    return s;
}

void SettingsPanel::CbDisplayModeChange() {
    const bool vga = CbDisplayMode->currentIndex() == 1;
    if (vga)
        ChTripleBuffer->setChecked(false);
    ChTripleBuffer->setEnabled(!vga);
}

void SettingsPanel::CbResolutionChange(int index) {
    if (index > 0 && CbResolution->itemText(index).contains(u'-'))
        CbResolution->setCurrentIndex(index - 1);
}
