#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <optional>

// A colour as the settings file keeps it: a 32-bit value whose low byte is red, then
// green, then blue, or one of the desktop's colours by number (0x80000000 + index), or
// none. Kept as such, so that "clWindow" stays the desktop's window colour rather than
// the grey it happened to be when it was saved.
class ColorSetting final {
public:
    static constexpr quint32 kWindow = 0x80000005;
    static constexpr quint32 kWindowText = 0x80000008;
    static constexpr quint32 kNone = 0x1FFFFFFF;

    constexpr ColorSetting() = default;
    constexpr explicit ColorSetting(quint32 value) : m_value(value) {}
    static ColorSetting fromColor(const QColor& color);

    quint32 value() const { return m_value; }
    bool isSystemColor() const { return (m_value & 0xFF000000) == 0x80000000; }

    // The colour on screen; a desktop colour is looked up in the palette, "none" gives
    // an invalid colour.
    QColor toColor(const QPalette& palette) const;
    // The setting after a dialog that offered toColor(palette) gave back chosen: the
    // colour chosen, or this setting itself when the colour was left as offered, so
    // that a desktop colour the user did not change goes on following the desktop.
    ColorSetting afterChoice(const QColor& chosen, const QPalette& palette) const;

    // The settings file's text: a name ("clRed", "clWindow") when the value has one,
    // else "$" and eight upper-case hexadecimal digits.
    QString text() const;
    // A name (without regard to case), a decimal number or a "$" hexadecimal number;
    // nothing for any other text.
    static std::optional<ColorSetting> fromText(const QString& text);

    friend bool operator==(ColorSetting a, ColorSetting b) { return a.m_value == b.m_value; }

private:
    quint32 m_value = 0;
};

// Font style bits of the settings file: 1 bold, 2 italic, 4 underline, 8 strike-out.
int fontStyleBits(const QFont& font);
void applyFontStyleBits(QFont& font, int bits);
