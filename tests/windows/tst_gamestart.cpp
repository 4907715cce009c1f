#include "shell/profile.h"
#include "tests/support/testsupport.h"
#include "windows/tgamestart.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {
const char iniName[] = "zunolobby.ini";
}

class tst_gamestart : public QObject
{
    Q_OBJECT

private:
    testsupport::TempProgramFolder folder;
    Tgamestart *dialog = nullptr;
    QStringList told;

    template <typename T> T *child(const char *name)
    {
        T *widget = dialog->findChild<T *>(QLatin1String(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    QString text(const char *edit) { return child<QLineEdit>(edit)->text(); }
    bool checked(const char *box) { return child<QAbstractButton>(box)->isChecked(); }
    // The fields of a start message after its command word, without the last empty one.
    static QByteArrayList fields(QByteArray message)
    {
        message.chop(1); // 0xFF
        QByteArrayList parts = message.split('+');
        parts.removeFirst();
        parts.removeLast();
        return parts;
    }
    QByteArray pressStart()
    {
        QSignalSpy spy(dialog, &Tgamestart::startRequested);
        child<QPushButton>("button_start")->click();
        return spy.size() == 1 ? spy.at(0).at(0).toByteArray() : QByteArray();
    }
    void writeIni(const QByteArray &bytes)
    {
        QFile f(folder.file(QLatin1String(iniName)));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void init()
    {
        QFile::remove(folder.file(QLatin1String(iniName)));
        told.clear();
        dialog = new Tgamestart;
        dialog->setNotifier([this](const QString &t) { told << t; });
        dialog->setStarterName(QStringLiteral("Bob"));
    }
    void cleanup()
    {
        delete dialog;
        dialog = nullptr;
    }

    void controlsStartAsDescribed()
    {
        QCOMPARE(dialog->objectName(), QStringLiteral("gamestart"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Quibbleton - Game Start"));
        QCOMPARE(text("edit_playtoscore"), QStringLiteral("30"));
        QCOMPARE(text("edit_creationtime"), QStringLiteral("60"));
        QCOMPARE(text("edit_max"), QStringLiteral("7"));
        QCOMPARE(text("edit_bonus"), QStringLiteral("10"));
        QVERIFY(!checked("checkbox_speed") && !checked("checkbox_couch"));
        QVERIFY(!checked("checkbox_team") && !checked("checkbox_auto"));
        QVERIFY(checked("checkbox_playbonus"));
        QVERIFY(checked("checkbox_bonus") && !checked("checkbox_score"));
        QVERIFY(child<QLineEdit>("edit_playtoscore")->isReadOnly());
        QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("Winner Determined By:"));
    }

    void upDownsStayInRange_data()
    {
        QTest::addColumn<QString>("upDown");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("expected");
        QTest::newRow("score one up") << "UpDown1" << 1 << 35;
        QTest::newRow("score to the top") << "UpDown1" << 20 << 100;
        QTest::newRow("score to the bottom") << "UpDown1" << -10 << 3;
        QTest::newRow("creation one down") << "UpDown2" << -1 << 55;
        QTest::newRow("creation floor") << "UpDown2" << -9 << 45;
        QTest::newRow("creation ceiling") << "UpDown2" << 99 << 120;
        QTest::newRow("max letters up") << "UpDown4" << 1 << 8;
        QTest::newRow("max letters ceiling") << "UpDown4" << 5 << 8;
        QTest::newRow("max letters floor") << "UpDown4" << -5 << 5;
        QTest::newRow("bonus letters floor") << "UpDown3" << -9 << 7;
        QTest::newRow("bonus letters ceiling") << "UpDown3" << 3 << 10;
    }

    void upDownsStayInRange()
    {
        QFETCH(QString, upDown);
        QFETCH(int, steps);
        QFETCH(int, expected);
        auto *box = dialog->findChild<QSpinBox *>(upDown);
        QVERIFY(box);
        for (int i = 0; i < qAbs(steps); ++i)
            box->stepBy(steps > 0 ? 1 : -1);
        QCOMPARE(box->value(), expected);
    }

    void typingChangesNothing()
    {
        auto *edit = child<QLineEdit>("edit_playtoscore");
        QTest::keyClicks(edit, QStringLiteral("99"));
        QCOMPARE(edit->text(), QStringLiteral("30"));
    }

    void defaultStartMessage()
    {
        QCOMPARE(pressStart(), QByteArray("CMD_startgame+Bob+30+60+t+10+none+t+f+7+f+f+\xFF"));
    }

    void startFields_data()
    {
        QTest::addColumn<QStringList>("toggle"); // check boxes and radio buttons to click
        QTest::addColumn<QByteArrayList>("expected");
        QTest::newRow("total score")
            << QStringList{"checkbox_score"}
            << QByteArrayList{"Bob", "30", "60", "t", "10", "none", "f", "f", "7", "f", "f"};
        QTest::newRow("no bonus round, total score chosen")
            << QStringList{"checkbox_score", "checkbox_playbonus"}
            << QByteArrayList{"Bob", "30", "60", "f", "10", "none", "t", "f", "7", "f", "f"};
        QTest::newRow("no bonus round, bonus chosen")
            << QStringList{"checkbox_playbonus"}
            << QByteArrayList{"Bob", "30", "60", "f", "10", "none", "t", "f", "7", "f", "f"};
        QTest::newRow("every check box")
            << QStringList{"checkbox_speed", "checkbox_couch", "checkbox_team", "checkbox_auto"}
            << QByteArrayList{"Bob", "30", "60", "t", "10", "team", "t", "t", "7", "t", "t"};
    }

    void startFields()
    {
        QFETCH(QStringList, toggle);
        QFETCH(QByteArrayList, expected);
        for (const QString &name : toggle) {
            auto *button = dialog->findChild<QAbstractButton *>(name);
            QVERIFY(button);
            button->click();
        }
        QCOMPARE(fields(pressStart()), expected);
    }

    void bonusControlsFollowTheCheckBox()
    {
        const char *followers[] = {"label_bonus", "edit_bonus", "checkbox_score", "checkbox_bonus"};
        child<QCheckBox>("checkbox_playbonus")->click();
        for (const char *name : followers)
            QVERIFY2(!child<QWidget>(name)->isEnabled(), name);
        QVERIFY(child<QSpinBox>("UpDown3")->isEnabled());
        child<QCheckBox>("checkbox_playbonus")->click();
        for (const char *name : followers)
            QVERIFY2(child<QWidget>(name)->isEnabled(), name);
    }

    void eachPressSendsOnceAndHides()
    {
        dialog->show();
        QSignalSpy spy(dialog, &Tgamestart::startRequested);
        child<QPushButton>("button_start")->click();
        QVERIFY(!dialog->isVisible());
        dialog->show();
        child<QPushButton>("button_start")->click();
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0), spy.at(1));
    }

    void startSavesTheOptions()
    {
        writeIni("[Lobby]\r\nTop=1\r\n[Quibbleton]\r\nTop=40\r\n");
        child<QSpinBox>("UpDown1")->stepBy(1);
        child<QRadioButton>("checkbox_score")->click();
        child<QCheckBox>("checkbox_team")->click();
        child<QCheckBox>("checkbox_auto")->click();
        pressStart();
        const QString ini = folder.file(QLatin1String(iniName));
        auto read = [&](const char *key) {
            return profile::readString(ini, "Quibbleton", QLatin1String(key), "<absent>");
        };
        QCOMPARE(read("Playtoscore"), QStringLiteral("35"));
        QCOMPARE(read("Creationtime"), QStringLiteral("60"));
        QCOMPARE(read("Letters"), QStringLiteral("10"));
        QCOMPARE(read("Max"), QStringLiteral("7"));
        QCOMPARE(read("Auto"), QStringLiteral("true"));
        QCOMPARE(read("Speed"), QStringLiteral("false"));
        QCOMPARE(read("Endgame"), QStringLiteral("false"));
        QCOMPARE(read("Nocouch"), QStringLiteral("false"));
        QCOMPARE(read("Playbonus"), QStringLiteral("true"));
        QCOMPARE(read("Top"), QStringLiteral("40"));
        QCOMPARE(profile::readString(ini, "Lobby", "Top", "x"), QStringLiteral("1"));
        QVERIFY(told.isEmpty());
    }

    void startStillSendsWhenSavingFails()
    {
        QVERIFY(QDir(folder.path()).mkdir(QLatin1String(iniName)));
        QVERIFY(!pressStart().isEmpty());
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains(QLatin1String(iniName)));
        QVERIFY(QDir(folder.path()).rmdir(QLatin1String(iniName)));
    }

    void readSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        // score, creation, max, bonus letters, speed, couch, auto, playbonus, winning bonus
        QTest::addColumn<QVariantList>("expected");
        QTest::newRow("no section: defaults")
            << QByteArray("[Lobby]\nPlaytoscore=80\n")
            << QVariantList{30, 60, 7, 10, false, false, false, true, true};
        QTest::newRow("every key")
            << QByteArray("[Quibbleton]\nPlaytoscore=55\nCreationtime=90\nLetters=8\nMax=6\n"
                          "Auto=true\nSpeed=true\nPlaybonus=false\nEndgame=false\nNocouch=true\n")
            << QVariantList{55, 90, 6, 8, true, true, true, false, false};
        QTest::newRow("not numbers keep the controls")
            << QByteArray("[Quibbleton]\nPlaytoscore=abc\nCreationtime=\nMax=6x\n")
            << QVariantList{50, 75, 6, 10, false, false, false, true, true};
        QTest::newRow("out of range is clamped")
            << QByteArray("[Quibbleton]\nPlaytoscore=500\nCreationtime=1\nLetters=99\nMax=0\n")
            << QVariantList{100, 45, 5, 10, false, false, false, true, true};
        QTest::newRow("only exact words count")
            << QByteArray("[Quibbleton]\nAuto=yes\nSpeed=TRUE\nPlaybonus=no\nEndgame=no\n")
            << QVariantList{30, 60, 7, 10, false, false, false, true, true};
    }

    void readSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QVariantList, expected);
        // Values the file does not replace show through.
        child<QSpinBox>("UpDown1")->setValue(50);
        child<QSpinBox>("UpDown2")->setValue(75);
        child<QSpinBox>("UpDown4")->setValue(6);
        writeIni(ini);
        dialog->readSettings();
        QCOMPARE(child<QSpinBox>("UpDown1")->value(), expected[0].toInt());
        QCOMPARE(child<QSpinBox>("UpDown2")->value(), expected[1].toInt());
        QCOMPARE(child<QSpinBox>("UpDown4")->value(), expected[2].toInt());
        QCOMPARE(child<QSpinBox>("UpDown3")->value(), expected[3].toInt());
        QCOMPARE(checked("checkbox_speed"), expected[4].toBool());
        QCOMPARE(checked("checkbox_couch"), expected[5].toBool());
        QCOMPARE(checked("checkbox_auto"), expected[6].toBool());
        QCOMPARE(checked("checkbox_playbonus"), expected[7].toBool());
        QCOMPARE(checked("checkbox_bonus"), expected[8].toBool());
        QCOMPARE(checked("checkbox_score"), !expected[8].toBool());
        // The bonus controls follow the check box the file set.
        QCOMPARE(child<QWidget>("edit_bonus")->isEnabled(), expected[7].toBool());
    }
};

QTEST_MAIN(tst_gamestart)
#include "tst_gamestart.moc"
