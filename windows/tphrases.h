// The phrase list: the player rewrites the texts of the ten phrase buttons of the
// chat. The boxes are filled from the buttons when the window opens; "Done" hands
// the texts back and stores them in the settings file.
#pragma once

#include "windows/sidewindow.h"

#include <QStringList>

class QLineEdit;

class Tphrases : public SideWindow
{
    Q_OBJECT
public:
    static constexpr int PhraseCount = 10;
    static constexpr int MaxPhraseLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Fills box n with the phrase of button n (missing entries give empty boxes).
    void setPhrases(const QStringList &phrases);
    // The texts of the ten boxes, box 1 first.
    QStringList phrases() const;
    // The settings key of phrase n (1 to 10).
    static QString phraseKey(int n);

public slots:
    // "Done": hands the texts to the buttons, stores them, hides the window.
    void SelButton8Click();

signals:
    // The ten phrases from "Done", button 1 first; the buttons take them at once.
    void phrasesChanged(const QStringList &phrases);

private:
    QLineEdit *boxes[PhraseCount] = {};
};
