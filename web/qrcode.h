// QR codes of invitation links (libqrencode), as a matrix of modules for a
// window to paint and as text for a terminal.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

class QrCode
{
public:
    // An empty code when the text cannot be encoded (too long for any size).
    static QrCode encode(const QByteArray &text);

    bool isEmpty() const { return width == 0; }
    int size() const { return width; } // modules per side, without a quiet zone
    bool dark(int x, int y) const;

    // Two rows of modules per line of half blocks, dark on a light ground
    // with a quiet zone of `margin` modules, for any terminal that shows
    // ANSI colours. Each line ends in a newline.
    QString terminalText(int margin = 2) const;

private:
    int width = 0;
    QVector<bool> modules;
};
