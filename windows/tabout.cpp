#include "windows/tabout.h"

#include "net/commands.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char windowTitleText[] = "About Quibbleton";
const char makerUrl[] = "http://www.zuno88.example/";
const char titleText[] = "Quibbleton";
const char blurbText[] = "A party word game for up to twelve players.\n"
                         "Write the best acro for the letters of the round,\n"
                         "vote for the best of the others, and win the game.";
const char versionCaption[] = "Version";
const char makerLinkText[] = "Visit Zuno88 on the web";

const QColor yellow(0xFF, 0xFF, 0x00);
} // namespace

Tabout::Tabout(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QLatin1String(windowTitleText));

    auto *picture = new PlainLabel(this);
    picture->setObjectName(QStringLiteral("image_about"));
    const QPixmap pixmap(QString::fromLatin1(res::about));
    if (!pixmap.isNull()) picture->setPixmap(pixmap);
    picture->setVisible(!pixmap.isNull());

    auto *title = new PlainLabel(QLatin1String(titleText), this);
    title->setObjectName(QStringLiteral("label_title"));
    styleLabel(title, yellow, font().pointSize() + 8);

    auto *blurb = new PlainLabel(QLatin1String(blurbText), this);
    blurb->setObjectName(QStringLiteral("label_blurb"));
    styleLabel(blurb, Qt::white);

    auto *versionCaptionLabel = new PlainLabel(QLatin1String(versionCaption), this);
    styleLabel(versionCaptionLabel, yellow);
    // The version the client reports when it logs in; one source for both.
    labelVersion = new PlainLabel(QLatin1String(cmd::GameVersion), this);
    labelVersion->setObjectName(QStringLiteral("version"));
    styleLabel(labelVersion, yellow);

    auto *link = new QLabel(this);
    link->setObjectName(QStringLiteral("label_web"));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#80c0ff\">%2</a>")
                      .arg(QLatin1String(makerUrl), QLatin1String(makerLinkText)));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QLabel::linkActivated, this,
            [](const QString &url) { QDesktopServices::openUrl(QUrl(url)); });

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    connect(ok, &QPushButton::clicked, this, &Tabout::button_okClick);

    auto *versionRow = new QHBoxLayout;
    versionRow->addWidget(versionCaptionLabel);
    versionRow->addWidget(labelVersion);
    versionRow->addStretch(1);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(blurb);
    text->addLayout(versionRow);
    text->addWidget(link);
    text->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setFixedSize(sizeHint());
}

QString Tabout::version() const
{
    return labelVersion->text();
}

const char *Tabout::makerAddress()
{
    return makerUrl;
}

void Tabout::button_okClick()
{
    close();
}
