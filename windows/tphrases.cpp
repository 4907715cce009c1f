#include "windows/tphrases.h"

#include "resources/palette.h"
#include "shell/profile.h"
#include "shell/programfolder.h"
#include "windows/plaintext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char SettingsFileName[] = "zunolobby.ini";
const char SettingsSection[] = "Quibbleton";
const char PhraseKeyPrefix[] = "Phrase";

const char WindowTitleText[] = "Quibbleton - Phrase List";
const char LabelText[] = "Phrase Button %1:";
const char NoteText[] = "Buttons can only be used once every 2 seconds";
const char NotSaved[] = "The phrases could not be saved in %1. The buttons use them until the "
                        "game ends.";

} // namespace

Tphrases::Tphrases(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QLatin1String(WindowTitleText));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(5);
    for (int n = 1; n <= PhraseCount; ++n) {
        auto *label = new PlainLabel(QString::fromLatin1(LabelText).arg(n), this);
        label->setObjectName(QStringLiteral("label_phrase%1").arg(n));
        styleLabel(label, palette::Yellow);
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("phrase%1").arg(n));
        box->setMaxLength(MaxPhraseLength);
        label->setBuddy(box);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(box, n - 1, 1);
        boxes[n - 1] = box;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto *note = new PlainLabel(QLatin1String(NoteText), this);
    note->setObjectName(QStringLiteral("label_note"));
    styleLabel(note, palette::Yellow);
    note->setAlignment(Qt::AlignCenter);
    layout->addSpacing(6);
    layout->addWidget(note);

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("SelButton8"));
    layout->addWidget(done, 0, Qt::AlignHCenter);
    connect(done, &QPushButton::clicked, this, &Tphrases::SelButton8Click);

    resize(470, sizeHint().height());
}

void Tphrases::setPhrases(const QStringList &phrases)
{
    for (int n = 0; n < PhraseCount; ++n)
        boxes[n]->setText(phrases.value(n));
}

QStringList Tphrases::phrases() const
{
    QStringList list;
    for (const QLineEdit *box : boxes)
        list.append(box->text());
    return list;
}

QString Tphrases::phraseKey(int n)
{
    return QLatin1String(PhraseKeyPrefix) + QString::number(n);
}

void Tphrases::SelButton8Click()
{
    const QStringList texts = phrases();
    emit phrasesChanged(texts);
    QList<QPair<QString, QString>> values;
    for (int n = 1; n <= PhraseCount; ++n)
        values.append({phraseKey(n), texts[n - 1]});
    const QString file = settingsFile(QLatin1String(SettingsFileName));
    if (!profile::writeStrings(file, QLatin1String(SettingsSection), values))
        notify(QString::fromLatin1(NotSaved).arg(file));
    close();
}
