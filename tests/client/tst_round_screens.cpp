// Draws every round screen once, the way a player sees it, and checks that the
// pictures made it onto the screen. With QUIB_SCREENSHOT_DIR set, the screens
// are saved there as round_<name>.png.
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "tst_round_fixture.h"

class tst_round_screens : public QObject
{
    Q_OBJECT
private slots:
    void screens();

private:
    void save(QWidget *widget, const QString &name);
    static int countColour(const QImage &image, const QRect &area, QRgb colour, int tolerance);
};

void tst_round_screens::save(QWidget *widget, const QString &name)
{
    const QPixmap shot = widget->grab();
    QVERIFY(!shot.isNull());
    const QString dir = qEnvironmentVariable("QUIB_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        QVERIFY(shot.save(dir + "/round_" + name + ".png"));
    }
}

int tst_round_screens::countColour(const QImage &image, const QRect &area, QRgb colour,
                                   int tolerance)
{
    int count = 0;
    const qreal ratio = image.devicePixelRatio();
    const QRect device(area.topLeft() * ratio, area.size() * ratio);
    for (int y = device.top(); y <= device.bottom() && y < image.height(); ++y) {
        for (int x = device.left(); x <= device.right() && x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) <= tolerance &&
                std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
                std::abs(qBlue(p) - qBlue(colour)) <= tolerance)
                ++count;
        }
    }
    return count;
}

void tst_round_screens::screens()
{
    FakeMainWindow w;
    w.login(4, "Bob");
    w.st.isHost = true;
    for (const auto &[slot, name] : {std::pair{1, "Ann"}, {2, "Cid"}, {5, "Dee"}, {7, "Eve"}})
        w.setBoardName(slot, name);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));

    w.options->setStarterName("Bob");
    w.options->show();
    save(w.options.get(), "options");
    w.options->hide();

    w.area->teamgame(received<cmd::toClient::TeamGame>("Ann+30+60+t+10+t+t+"));
    w.area->selectteam(1);
    save(w.area, "teams");
    // The chosen Yellow card is drawn, not left blank.
    const QImage teams = w.area->grab().toImage();
    QVERIFY(countColour(teams, w.control("image_team1")->geometry().translated(0, 45),
                        qRgb(255, 200, 40), 60) > 500);

    w.area->histeam(received<cmd::toClient::Teams>("4+1"));
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("4+f+"));
    w.area->postcats(received<cmd::toClient::Cats>("5+"));
    w.st.secondsLeft = 13;
    w.area->Timer2Timer();
    save(w.area, "category_chooser");
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("2+f+"));
    save(w.area, "category_watcher");

    w.area->catchoosen(received<cmd::toClient::Category>("Sea Life"));
    w.area->posttheletters(received<cmd::toClient::Letters>("4+SLBW"));
    auto *edit = w.control<QLineEdit>("edit_answer");
    QTest::keyClicks(edit, "Salty big whale");
    QTest::keyClick(edit, Qt::Key_Return);
    save(w.area, "answer_rejected");
    edit->selectAll();
    QTest::keyClicks(edit, "Seven little blue whales");
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(!w.control("label_accepted")->isHidden());
    save(w.area, "answer_accepted");

    w.area->postacros(received<cmd::toClient::Answers>(
        "1+Sunken lamps bring wishes+2+Sea lions bark~whistle+4+Seven little blue "
        "whales+5+Salty Larry Became Wet+7+Shy Lobsters Build Walls"));
    w.area->dovote();
    w.area->label_acro1Click(w.label("label_acro7"));
    save(w.area, "voting");
    QVERIFY(!w.control("image_hand")->isHidden());

    w.area->postvotes(received<cmd::toClient::Votes>(
        "n+y+n+1+Ann+1+n+y+n+2+Cid+0+n+y+y+4+Bob+1+n+n+n+5+Dee+0+y+y+n+7+Eve+2"));
    save(w.area, "results");
    w.area->postscores(received<cmd::toClient::Scores>("f+0+0+1+5+2+2+0+0+4+9+3+5+0+0+7+14+8"));
    QVERIFY(!w.control("image_winner")->isHidden());
    QVERIFY(!w.control("image_speed")->isHidden());

    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("7+f+"));
    w.area->inbonus(received<cmd::toClient::InBonus>("7,4"));
    save(w.area, "bonus");

    w.area->winner(received<cmd::toClient::Winner>("Eve"));
    save(w.area, "gameover");
    QVERIFY(!w.control("button_start")->isHidden());
}

QTEST_MAIN(tst_round_screens)
#include "tst_round_screens.moc"
