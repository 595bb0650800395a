#include "ColorText.h"

#include "core/IniDocument.h"

#include <QFont>
#include <array>

namespace {

struct NamedColor {
    const char* name;
    quint32 value;
};

// The sixteen fixed colours, the desktop's colours by their numbers, and "none".
constexpr std::array<NamedColor, 42> kNames{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clNone", ColorSetting::kNone},
}};

// The palette colour that stands for each of the desktop's colours, by number.
QColor systemColor(quint32 index, const QPalette& p) {
    switch (index) {
    case 0x02: // active caption
    case 0x0D: // highlight
        return p.color(QPalette::Active, QPalette::Highlight);
    case 0x03: // inactive caption
        return p.color(QPalette::Inactive, QPalette::Highlight);
    case 0x09: // caption text
    case 0x0E: // highlight text
        return p.color(QPalette::Active, QPalette::HighlightedText);
    case 0x13: // inactive caption text
        return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x05: // window
        return p.color(QPalette::Base);
    case 0x08: // window text
        return p.color(QPalette::Text);
    case 0x07: // menu text
        return p.color(QPalette::WindowText);
    case 0x10: // button shadow
        return p.color(QPalette::Mid);
    case 0x11: // grey text
        return p.color(QPalette::Disabled, QPalette::Text);
    case 0x12: // button text
        return p.color(QPalette::ButtonText);
    case 0x14: // button highlight
        return p.color(QPalette::Light);
    case 0x15: // 3D dark shadow
    case 0x06: // window frame
        return p.color(QPalette::Shadow);
    case 0x16: // 3D light
        return p.color(QPalette::Midlight);
    case 0x17: // info text
        return p.color(QPalette::ToolTipText);
    case 0x18: // info background
        return p.color(QPalette::ToolTipBase);
    case 0x0C: // application work space
    case 0x01: // desktop background
        return p.color(QPalette::Dark);
    default: // scroll bar, menu, borders, button face
        return p.color(QPalette::Button);
    }
}

} // namespace

ColorSetting ColorSetting::fromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return ColorSetting(quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16);
}

QColor ColorSetting::toColor(const QPalette& palette) const {
    if (m_value == kNone)
        return {};
    if (isSystemColor())
        return systemColor(m_value & 0xFF, palette);
    // Only the low three bytes are a colour; a high byte names a palette entry on the
    // system the value came from, which has no meaning here.
    return QColor(int(m_value & 0xFF), int((m_value >> 8) & 0xFF), int((m_value >> 16) & 0xFF));
}

ColorSetting ColorSetting::afterChoice(const QColor& chosen, const QPalette& palette) const {
    const QColor offered = toColor(palette);
    if (offered.isValid() && chosen.isValid() && offered.rgba() == chosen.rgba())
        return *this;
    return fromColor(chosen);
}

QString ColorSetting::text() const {
    for (const NamedColor& named : kNames) {
        if (named.value == m_value)
            return QString::fromLatin1(named.name);
    }
    return QStringLiteral("$%1").arg(m_value, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<ColorSetting> ColorSetting::fromText(const QString& text) {
    for (const NamedColor& named : kNames) {
        if (text.compare(QLatin1StringView(named.name), Qt::CaseInsensitive) == 0)
            return ColorSetting(named.value);
    }
    int value = 0;
    if (!IniDocument::parseInteger(text, &value))
        return std::nullopt;
    return ColorSetting(quint32(value));
}

int fontStyleBits(const QFont& font) {
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
           (font.strikeOut() ? 8 : 0);
}

void applyFontStyleBits(QFont& font, int bits) {
    font.setBold(bits & 1);
    font.setItalic(bits & 2);
    font.setUnderline(bits & 4);
    font.setStrikeOut(bits & 8);
}
