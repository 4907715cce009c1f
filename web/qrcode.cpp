#include "web/qrcode.h"

#include <qrencode.h>

QrCode QrCode::encode(const QByteArray &text)
{
    QrCode code;
    if (text.isEmpty()) return code;
    QRcode *raw = QRcode_encodeData(int(text.size()),
                                    reinterpret_cast<const unsigned char *>(text.constData()), 0,
                                    QR_ECLEVEL_M);
    if (!raw) return code;
    code.width = raw->width;
    code.modules.resize(raw->width * raw->width);
    for (int i = 0; i < raw->width * raw->width; ++i)
        code.modules[i] = raw->data[i] & 1;
    QRcode_free(raw);
    return code;
}

bool QrCode::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= width) return false;
    return modules.at(y * width + x);
}

QString QrCode::terminalText(int margin) const
{
    if (isEmpty()) return {};
    // Black on white whatever the terminal's own colours are.
    const QString start = QStringLiteral("\x1b[30;47m");
    const QString reset = QStringLiteral("\x1b[0m");
    QString out;
    const int from = -margin;
    const int to = width + margin;
    for (int y = from; y < to; y += 2) {
        out += start;
        for (int x = from; x < to; ++x) {
            const bool top = dark(x, y);
            const bool bottom = dark(x, y + 1);
            if (top && bottom)
                out += QChar(0x2588); // full block
            else if (top)
                out += QChar(0x2580); // upper half
            else if (bottom)
                out += QChar(0x2584); // lower half
            else
                out += QLatin1Char(' ');
        }
        out += reset;
        out += QLatin1Char('\n');
    }
    return out;
}
