#include "windows/tphrases.h"

#include "shell/profile.h"
#include "shell/programfolder.h"
#include "windows/plaintext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char settingsFileName[] = "zunolobby.ini";
const char settingsSection[] = "Quibbleton";
const char phraseKeyPrefix[] = "Phrase";

const char windowTitleText[] = "Quibbleton - Phrase List";
const char labelText[] = "Phrase Button %1:";
const char noteText[] = "Buttons can only be used once every 2 seconds";
const char notSaved[] = "The phrases could not be saved in %1. The buttons use them until the "
                        "game ends.";

const QColor yellow(0xFF, 0xFF, 0x00);
} // namespace

Tphrases::Tphrases(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QLatin1String(windowTitleText));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(5);
    for (int n = 1; n <= phraseCount; ++n) {
        auto *label = new PlainLabel(QString::fromLatin1(labelText).arg(n), this);
        label->setObjectName(QStringLiteral("label_phrase%1").arg(n));
        styleLabel(label, yellow);
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("phrase%1").arg(n));
        box->setMaxLength(maxPhraseLength);
        label->setBuddy(box);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(box, n - 1, 1);
        boxes[n - 1] = box;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto *note = new PlainLabel(QLatin1String(noteText), this);
    note->setObjectName(QStringLiteral("label_note"));
    styleLabel(note, yellow);
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
    for (int n = 0; n < phraseCount; ++n)
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
    return QLatin1String(phraseKeyPrefix) + QString::number(n);
}

void Tphrases::SelButton8Click()
{
    const QStringList texts = phrases();
    emit phrasesChanged(texts);
    QList<QPair<QString, QString>> values;
    for (int n = 1; n <= phraseCount; ++n)
        values.append({phraseKey(n), texts[n - 1]});
    const QString file = settingsFile(QLatin1String(settingsFileName));
    if (!profile::writeStrings(file, QLatin1String(settingsSection), values))
        notify(QString::fromLatin1(notSaved).arg(file));
    close();
}
