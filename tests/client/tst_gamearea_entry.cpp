// Acro entry: the answer box, the letters and the countdown (the answer check
// itself: tests/game/tst_checkacro.cpp).
#include <QTest>
#include <QTimer>

#include "net/commands.h"
#include "tst_round_fixture.h"

class tst_gamearea_entry : public QObject
{
    Q_OBJECT
private slots:
    void letters_data();
    void letters();
    void answerBoxVisibility_data();
    void answerBoxVisibility();
    void acceptedAnswerIsSent();
    void longAnswerIsCutBeforeTheCheck();
    void rejectedAnswerStaysForCorrection();
    void tildeTypedBecomesPlus();
    void filteredAnswerShowsFilterLineAndFails();
    void nothingToCheck();
    void spyChecksNothing();
    void acceptedWithoutLoginSendsNothing();
    void countdownTick_data();
    void countdownTick();
    void countdownRunsUntilClearall();
};

void tst_gamearea_entry::letters_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<int>("count");
    QTest::newRow("run together") << QByteArray("3+BRD") << "BRD" << 3;
    QTest::newRow("one per field") << QByteArray("3+B+R+D") << "BRD" << 3;
    QTest::newRow("one per field, last ended") << QByteArray("4+B+R+D+W+") << "BRDW" << 4;
    QTest::newRow("extra fields ignored") << QByteArray("2+B+R+D") << "BR" << 2;
}

void tst_gamearea_entry::letters()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, letters);
    QFETCH(int, count);
    FakeMainWindow w;
    w.login(4);
    w.area->posttheletters(received<cmd::toClient::Letters>(data));
    QCOMPARE(w.text("label_letters"), letters);
    QCOMPARE(w.st.letterCount, count);
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_creating"));
    QCOMPARE(w.text("label_status"), QStringLiteral("Creating Acros"));
    QCOMPARE(w.st.secondsLeft, 60);
    QVERIFY(w.control<QTimer>("Timer2")->isActive());
    QCOMPARE(w.sounds.size(), 1);
    QVERIFY(QStringList({"acro0", "acro1", "acro2", "acro3"}).contains(w.sounds.first()));
}

void tst_gamearea_entry::answerBoxVisibility_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("bonus");
    QTest::addColumn<bool>("visible");
    QTest::newRow("player") << 4 << QByteArray() << true;
    QTest::newRow("spy") << 13 << QByteArray() << false;
    QTest::newRow("bonus player") << 4 << QByteArray("2,4") << true;
    QTest::newRow("left out of the bonus round") << 3 << QByteArray("2,4") << false;
    QTest::newRow("bonus round for all") << 3 << QByteArray("0") << true;
    QTest::newRow("spy in a bonus round for all") << 13 << QByteArray("0") << false;
}

void tst_gamearea_entry::answerBoxVisibility()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, bonus);
    QFETCH(bool, visible);
    FakeMainWindow w;
    w.login(slot);
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("1+f+"));
    if (!bonus.isEmpty()) w.area->inbonus(received<cmd::toClient::InBonus>(bonus));
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    QCOMPARE(w.shown("edit_answer"), visible);
    // The next ordinary round lets everybody on the board answer again.
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("1+f+"));
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    QCOMPARE(w.shown("edit_answer"), slot <= 12);
}

// 22,000 three-byte characters would exceed the host's message size: the
// answer is cut to the host's limit, at a character boundary, then checked.
void tst_gamearea_entry::longAnswerIsCutBeforeTheCheck()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    auto *edit = w.control<QLineEdit>("edit_answer");
    edit->setText("big red d" + QString(22000, QChar(0x2603)));
    QTest::keyClick(edit, Qt::Key_Return);
    const QByteArray sent = w.takeSent();
    const QByteArray answer = sent.mid(11).chopped(1); // after "CMD_acro+4+", before 0xFF
    QVERIFY(sent.startsWith("CMD_acro+4+big red d\xE2\x98\x83"));
    QCOMPARE(answer.size(), cmd::MaxTextBytes - 1); // 9 bytes and 1362 whole characters
    QCOMPARE(edit->text(), QString::fromUtf8(answer));
    edit->setText("big " + QString(5000, u'r') + " dog");
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(w.sent.isEmpty()); // the cut lost "dog": the check fails
    QVERIFY(w.shown("label_warning"));
}

void tst_gamearea_entry::acceptedAnswerIsSent()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    auto *edit = w.control<QLineEdit>("edit_answer");
    w.sounds.clear();
    QTest::keyClicks(edit, "  big  red dog");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_acro+4+big red dog"));
    QCOMPARE(edit->text(), QStringLiteral("big red dog"));
    QVERIFY(w.shown("label_accepted"));
    QVERIFY(!w.shown("label_warning"));
    QCOMPARE(roundstyle::textColour(edit), palette::Black);
    QCOMPARE(w.sounds, QStringList{"submit"});
    // Typing again turns the answer blue; a second Enter sends again.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(roundstyle::textColour(edit), palette::Blue);
    QTest::keyClicks(edit, "gs");
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(w.takeSent(), wire("CMD_acro+4+big red dogs"));
}

void tst_gamearea_entry::rejectedAnswerStaysForCorrection()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    auto *edit = w.control<QLineEdit>("edit_answer");
    w.sounds.clear();
    QTest::keyClicks(edit, "big dog red");
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(w.sent.isEmpty());
    QCOMPARE(edit->text(), QStringLiteral("big dog red"));
    QVERIFY(w.shown("label_warning"));
    QCOMPARE(w.text("label_warning"), QStringLiteral("Acro does not match the letters"));
    QVERIFY(!w.shown("label_accepted"));
    QCOMPARE(roundstyle::textColour(edit), palette::Red);
    QCOMPARE(w.sounds, QStringList{"wrong"});
    QTest::keyClick(edit, Qt::Key_Left);
    QVERIFY(!w.shown("label_warning"));
    QCOMPARE(roundstyle::textColour(edit), palette::Blue);
}

void tst_gamearea_entry::tildeTypedBecomesPlus()
{
    FakeMainWindow w;
    w.login(4);
    w.main.show();
    w.area->posttheletters(received<cmd::toClient::Letters>("2+PQ"));
    auto *edit = w.control<QLineEdit>("edit_answer");
    QTest::keyClicks(edit, "Plus~Minus Quiz");
    QCOMPARE(edit->text(), QStringLiteral("Plus+Minus Quiz"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_acro+4+Plus~Minus Quiz"));
}

void tst_gamearea_entry::filteredAnswerShowsFilterLineAndFails()
{
    FakeMainWindow w;
    w.login(4);
    w.st.filterOn = true;
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BFD"));
    w.area->checkacro("big fucking dog");
    QVERIFY(w.shown("label_filter"));
    QVERIFY(w.shown("label_warning"));
    QCOMPARE(w.control<QLineEdit>("edit_answer")->text(), QStringLiteral("big ****ing dog"));
    QVERIFY(w.sent.isEmpty());
    // A clean answer hides the filter line again.
    w.area->checkacro("big fine dog");
    QVERIFY(!w.shown("label_filter"));
    QCOMPARE(w.takeSent(), wire("CMD_acro+4+big fine dog"));
}

void tst_gamearea_entry::nothingToCheck()
{
    FakeMainWindow w;
    w.login(4);
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    w.sounds.clear();
    for (const char *text : {"", "    "}) {
        w.area->checkacro(text);
        QVERIFY(w.sent.isEmpty());
        QVERIFY(w.sounds.isEmpty());
        QVERIFY(!w.shown("label_warning"));
    }
}

void tst_gamearea_entry::spyChecksNothing()
{
    FakeMainWindow w;
    w.login(13, "Eve");
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    QVERIFY(!w.shown("edit_answer"));
    w.sounds.clear();
    w.area->checkacro("big red dog");
    w.area->checkacro("big dog");
    QVERIFY(w.sent.isEmpty());
    QVERIFY(w.sounds.isEmpty());
}

void tst_gamearea_entry::acceptedWithoutLoginSendsNothing()
{
    FakeMainWindow w;
    w.area->posttheletters(received<cmd::toClient::Letters>("3+BRD"));
    w.area->checkacro("big red dog");
    QVERIFY(w.sent.isEmpty());
    QVERIFY(w.shown("label_accepted"));
}

void tst_gamearea_entry::countdownTick_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("sound");
    QTest::newRow("minutes") << 66 << 65 << "1:05" << false;
    QTest::newRow("two digits") << 19 << 18 << "0:18" << false;
    QTest::newRow("twenty") << 21 << 20 << "0:20" << true;
    QTest::newRow("nineteen") << 20 << 19 << "0:19" << false;
    QTest::newRow("fifteen") << 16 << 15 << "0:15" << true;
    QTest::newRow("ten") << 11 << 10 << "0:10" << true;
    QTest::newRow("eleven") << 12 << 11 << "0:11" << false;
    QTest::newRow("one") << 2 << 1 << "0:01" << true;
    QTest::newRow("zero") << 1 << 0 << "0:00" << false;
    QTest::newRow("held at zero") << 0 << 0 << "0:00" << false;
    QTest::newRow("negative from the host") << -2 << 0 << "0:00" << false;
}

void tst_gamearea_entry::countdownTick()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, caption);
    QFETCH(bool, sound);
    FakeMainWindow w;
    w.st.secondsLeft = before;
    w.area->Timer2Timer();
    QCOMPARE(w.st.secondsLeft, after);
    QCOMPARE(w.text("label_timer"), caption);
    QCOMPARE(w.control("image_timer")->width(), after);
    QCOMPARE(w.sounds, sound ? QStringList{"time"} : QStringList());
}

void tst_gamearea_entry::countdownRunsUntilClearall()
{
    FakeMainWindow w;
    auto *timer = w.control<QTimer>("Timer2");
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(!timer->isActive());
    w.area->postcats(received<cmd::toClient::Cats>("4+"));
    QVERIFY(timer->isActive());
    QCOMPARE(w.st.secondsLeft, 18);
    w.area->dovote();
    QCOMPARE(w.st.secondsLeft, 33);
    w.area->clearall();
    QVERIFY(!timer->isActive());
    QCOMPARE(w.text("label_timer"), QStringLiteral("0:00"));
    QCOMPARE(w.control("image_timer")->width(), 0);
}

QTEST_MAIN(tst_gamearea_entry)
#include "tst_gamearea_entry.moc"
