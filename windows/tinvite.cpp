#include "windows/tinvite.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/palette.h"
#include "web/qrcode.h"
#include "windows/plaintext.h"

namespace {
const char WindowTitle[] = "Invite";
const char IntroText[] = "Friends join from a phone or any browser: scan the code or open a link.";
const char CopyText[] = "Copy";
const char CopiedText[] = "Copied";
const char DesktopText[] = "Desktop players join by address: ";
} // namespace

// The QR code, painted dark on white with its quiet zone, as large as fits.
class QrView : public QWidget
{
public:
    explicit QrView(QWidget *parent) : QWidget(parent)
    {
        setMinimumSize(180, 180);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void setCode(const QrCode &qr)
    {
        code = qr;
        update();
    }
    const QrCode &current() const { return code; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (code.isEmpty()) return;
        QPainter painter(this);
        const int quiet = 4;
        const int modules = code.size() + 2 * quiet;
        const int side = qMin(width(), height());
        const int cell = qMax(1, side / modules);
        const int drawn = cell * modules;
        const QPoint origin((width() - drawn) / 2, (height() - drawn) / 2);
        painter.fillRect(QRect(origin, QSize(drawn, drawn)), Qt::white);
        for (int y = 0; y < code.size(); ++y)
            for (int x = 0; x < code.size(); ++x)
                if (code.dark(x, y))
                    painter.fillRect(origin.x() + (x + quiet) * cell,
                                     origin.y() + (y + quiet) * cell, cell, cell, Qt::black);
    }

private:
    QrCode code;
};

Tinvite::Tinvite(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("invite"));
    setWindowTitle(QLatin1String(WindowTitle));

    labelIntro = new PlainLabel(QLatin1String(IntroText), this);
    labelIntro->setObjectName(QStringLiteral("label_intro"));
    labelIntro->setWordWrap(true);
    styleLabel(labelIntro, palette::Yellow);

    listLinks = new QListWidget(this);
    listLinks->setObjectName(QStringLiteral("list_links"));
    listLinks->setMaximumHeight(110);
    connect(listLinks, &QListWidget::currentRowChanged, this, [this] { showCurrent(); });

    qrView = new QrView(this);
    qrView->setObjectName(QStringLiteral("qrcode"));
    qrView->setAccessibleName(QStringLiteral("QR code of the link"));

    buttonCopy = new QPushButton(QLatin1String(CopyText), this);
    buttonCopy->setObjectName(QStringLiteral("button_copy"));
    connect(buttonCopy, &QPushButton::clicked, this, [this] {
        const QString link = currentLink();
        if (link.isEmpty()) return;
        QApplication::clipboard()->setText(link);
        buttonCopy->setText(QLatin1String(CopiedText));
    });

    labelDesktop = new PlainLabel(this);
    labelDesktop->setObjectName(QStringLiteral("label_desktop"));
    labelDesktop->setWordWrap(true);
    labelDesktop->setTextInteractionFlags(Qt::TextSelectableByMouse);
    styleLabel(labelDesktop, Qt::white);

    labelDesktopLinks = new PlainLabel(this);
    labelDesktopLinks->setObjectName(QStringLiteral("label_desktoplinks"));
    labelDesktopLinks->setWordWrap(true);
    labelDesktopLinks->setTextInteractionFlags(Qt::TextSelectableByMouse);
    styleLabel(labelDesktopLinks, Qt::white);
    buttonCopyDesktop = new QPushButton(QStringLiteral("Copy Desktop Link"), this);
    buttonCopyDesktop->setObjectName(QStringLiteral("button_copydesktop"));
    buttonCopyDesktop->hide();
    connect(buttonCopyDesktop, &QPushButton::clicked, this, [this] {
        if (!desktopLink().isEmpty()) QApplication::clipboard()->setText(desktopLink());
    });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(buttonCopy);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(labelIntro);
    layout->addWidget(listLinks);
    layout->addWidget(qrView, 1);
    layout->addLayout(buttons);
    layout->addWidget(labelDesktop);
    layout->addWidget(labelDesktopLinks);
    layout->addWidget(buttonCopyDesktop, 0, Qt::AlignRight);
    resize(380, 600);
}

void Tinvite::setRoom(const QStringList &webLinks, const QStringList &gameAddresses)
{
    links = webLinks;
    listLinks->clear();
    listLinks->addItems(links);
    listLinks->setVisible(!links.isEmpty());
    qrView->setVisible(!links.isEmpty());
    buttonCopy->setVisible(!links.isEmpty());
    labelIntro->setText(QLatin1String(links.isEmpty() ? NoWebText : IntroText));
    labelDesktop->setText(gameAddresses.isEmpty() ? QString()
                                                  : QLatin1String(DesktopText) +
                                                        gameAddresses.join(QStringLiteral(", ")));
    if (!links.isEmpty()) listLinks->setCurrentRow(0);
    showCurrent();
}

QString Tinvite::currentLink() const
{
    const int row = listLinks->currentRow();
    return row >= 0 && row < links.size() ? links.at(row) : QString();
}

void Tinvite::showCurrent()
{
    qrView->setCode(QrCode::encode(currentLink().toUtf8()));
    buttonCopy->setText(QLatin1String(CopyText));
}

void Tinvite::setDesktopLinks(const QStringList &lines)
{
    desktop = lines;
    labelDesktopLinks->setText(
        lines.isEmpty() ? QString()
                        : QStringLiteral("Or open a link in the desktop program (it says where "
                                         "it works from):\n") +
                              lines.join(QLatin1Char('\n')));
    buttonCopyDesktop->setVisible(!lines.isEmpty());
}

QString Tinvite::desktopLink() const
{
    // The link without its note of where it works from.
    return desktop.isEmpty() ? QString() : desktop.first().section(QLatin1Char(' '), 0, 0);
}
