#include "client/colortext.h"

#include <QGuiApplication>
#include <QPalette>
#include <cctype>

namespace colortext {

namespace {

struct NamedColour
{
    const char *name;
    TColor value;
};

// The sixteen standard colours, written by name.
constexpr NamedColour StandardColours[] = {
    {"clBlack", 0x000000},  {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
};

// Further names a colour text may hold: read, and the
// system ones written back by name so they keep meaning "the system's colour".
constexpr NamedColour OtherColours[] = {
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", SystemBit | 0},
    {"clBackground", SystemBit | 1},
    {"clActiveCaption", SystemBit | 2},
    {"clInactiveCaption", SystemBit | 3},
    {"clMenu", SystemBit | 4},
    {"clWindow", SystemBit | 5},
    {"clWindowFrame", SystemBit | 6},
    {"clMenuText", SystemBit | 7},
    {"clWindowText", SystemBit | 8},
    {"clCaptionText", SystemBit | 9},
    {"clActiveBorder", SystemBit | 10},
    {"clInactiveBorder", SystemBit | 11},
    {"clAppWorkSpace", SystemBit | 12},
    {"clHighlight", SystemBit | 13},
    {"clHighlightText", SystemBit | 14},
    {"clBtnFace", SystemBit | 15},
    {"clBtnShadow", SystemBit | 16},
    {"clGrayText", SystemBit | 17},
    {"clBtnText", SystemBit | 18},
    {"clInactiveCaptionText", SystemBit | 19},
    {"clBtnHighlight", SystemBit | 20},
    {"cl3DDkShadow", SystemBit | 21},
    {"cl3DLight", SystemBit | 22},
    {"clInfoText", SystemBit | 23},
    {"clInfoBk", SystemBit | 24},
    {"clHotLight", SystemBit | 26},
    {"clGradientActiveCaption", SystemBit | 27},
    {"clGradientInactiveCaption", SystemBit | 28},
    {"clMenuHighlight", SystemBit | 29},
    {"clMenuBar", SystemBit | 30},
};

bool isSystemOrSpecial(TColor value)
{
    return (value & 0xFF000000) != 0;
}

bool parseHex(QStringView digits, TColor &out)
{
    if (digits.isEmpty() || digits.size() > 8) return false;
    for (QChar c : digits)
        if (!isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x')) return false;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, 16);
    if (!ok) return false;
    out = TColor(value);
    return true;
}

bool parseDecimal(QStringView text, TColor &out)
{
    QStringView digits = text;
    if (digits.startsWith(u'+') || digits.startsWith(u'-')) digits = digits.mid(1);
    if (digits.isEmpty()) return false;
    for (QChar c : digits)
        if (c < u'0' || c > u'9') return false;
    bool ok = false;
    const int value = text.toInt(&ok, 10); // a 32-bit value, as the toolkit keeps colours
    if (!ok) return false;
    out = TColor(value);
    return true;
}

} // namespace

QString toText(TColor colour)
{
    for (const NamedColour &c : StandardColours)
        if (c.value == colour) return QString::fromLatin1(c.name);
    if (isSystemOrSpecial(colour))
        for (const NamedColour &c : OtherColours)
            if (c.value == colour) return QString::fromLatin1(c.name);
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

bool fromText(const QString &input, TColor &colour)
{
    const QString text = input.trimmed();
    if (text.isEmpty()) return false;
    for (const NamedColour &c : StandardColours)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            colour = c.value;
            return true;
        }
    for (const NamedColour &c : OtherColours)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            colour = c.value;
            return true;
        }
    TColor value = 0;
    bool ok = false;
    if (text.startsWith(u'$'))
        ok = parseHex(QStringView(text).mid(1), value);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        ok = parseHex(QStringView(text).mid(2), value);
    else
        ok = parseDecimal(text, value);
    if (ok) colour = value;
    return ok;
}

TColor fromTextOr(const QString &text, TColor fallback)
{
    TColor colour = fallback;
    return fromText(text, colour) ? colour : fallback;
}

QColor toQColor(TColor colour)
{
    if ((colour & 0xFF000000) == SystemBit) {
        const QPalette palette = QGuiApplication::palette();
        switch (colour & 0xFF) {
        case 5:
            return palette.color(QPalette::Base); // window background
        case 8:
            return palette.color(QPalette::Text); // window text
        case 7:                                   // menu text
        case 9:                                   // caption text
        case 18:
            return palette.color(QPalette::ButtonText); // button text
        case 13:                                        // highlight
        case 29:
            return palette.color(QPalette::Highlight); // menu highlight
        case 14:
            return palette.color(QPalette::HighlightedText); // highlight text
        case 16:
            return palette.color(QPalette::Dark); // button shadow
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text); // gray text
        case 20:                                                      // button highlight
        case 22:
            return palette.color(QPalette::Light); // 3D light
        case 21:
            return palette.color(QPalette::Shadow); // 3D dark shadow
        case 23:
            return palette.color(QPalette::ToolTipText); // info text
        case 24:
            return palette.color(QPalette::ToolTipBase); // info background
        case 26:
            return palette.color(QPalette::Link); // hot light
        case 2:                                   // active caption
        case 27:
            return palette.color(QPalette::Active, QPalette::Highlight);
        default:
            return palette.color(QPalette::Window); // faces and borders
        }
    }
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

TColor fromQColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return TColor(rgb.red()) | (TColor(rgb.green()) << 8) | (TColor(rgb.blue()) << 16);
}

} // namespace colortext
