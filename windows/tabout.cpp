#include "windows/tabout.h"

#include "net/commands.h"
#include "resources/palette.h"
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
const char WindowTitleText[] = "About Quibbleton";
const char MakerUrl[] = "http://www.zuno88.example/";
const char TitleText[] = "Quibbleton";
const char BlurbText[] = "A party word game for up to twelve players.\n"
                         "Write the best acro for the letters of the round,\n"
                         "vote for the best of the others, and win the game.";
const char VersionCaption[] = "Version";
const char MakerLinkText[] = "Visit Zuno88 on the web";

} // namespace

Tabout::Tabout(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QLatin1String(WindowTitleText));

    auto *picture = new PlainLabel(this);
    picture->setObjectName(QStringLiteral("image_about"));
    const QPixmap pixmap(QString::fromLatin1(res::about));
    if (!pixmap.isNull()) picture->setPixmap(pixmap);
    picture->setVisible(!pixmap.isNull());

    auto *title = new PlainLabel(QLatin1String(TitleText), this);
    title->setObjectName(QStringLiteral("label_title"));
    styleLabel(title, palette::Yellow, font().pointSize() + 8);

    auto *blurb = new PlainLabel(QLatin1String(BlurbText), this);
    blurb->setObjectName(QStringLiteral("label_blurb"));
    styleLabel(blurb, Qt::white);

    auto *versionCaptionLabel = new PlainLabel(QLatin1String(VersionCaption), this);
    styleLabel(versionCaptionLabel, palette::Yellow);
    // The version the client reports when it logs in; one source for both.
    labelVersion = new PlainLabel(QLatin1String(cmd::GameVersion), this);
    labelVersion->setObjectName(QStringLiteral("version"));
    styleLabel(labelVersion, palette::Yellow);

    auto *link = new QLabel(this);
    link->setObjectName(QStringLiteral("label_web"));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#80c0ff\">%2</a>")
                      .arg(QLatin1String(MakerUrl), QLatin1String(MakerLinkText)));
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
    return MakerUrl;
}

void Tabout::button_okClick()
{
    close();
}
