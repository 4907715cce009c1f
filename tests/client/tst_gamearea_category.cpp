// Category choice: who sees the boxes, what sends the choice, the player's own
// category file and the "Save Category to My list" link.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QTest>
#include <QTimer>

#include "tst_round_fixture.h"

class tst_gamearea_category : public QObject
{
    Q_OBJECT
private slots:
    void builtInLists();
    void postcats();
    void watcherSeesNoBox_data();
    void watcherSeesNoBox();
    void chooserBoxes_data();
    void chooserBoxes();
    void typingSendsOnlyOnEnter();
    void pickFromOpenedListSendsOnce();
    void fixedListPickAndEnter();
    void chooserWithoutLoginSendsNothing();
    void categoryFileReplacesList();
    void saveButtonAddsNewCategory();
    void saveButtonKnownCategory_data();
    void saveButtonKnownCategory();
    void catchoosen();
    void saveCategoryLink();
    void enterSendsWhatWasTyped();
    void firstPickAfterBecomingChooserSends();

private:
    static QComboBox *box(FakeMainWindow &w, const char *name)
    {
        return w.control<QComboBox>(name);
    }
    static QStringList items(QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
};

void tst_gamearea_category::builtInLists()
{
    FakeMainWindow w;
    const QStringList own = items(box(w, "combo_cat"));
    const QStringList fixed = items(box(w, "combo_cat1"));
    QCOMPARE(own.size(), 31);
    QCOMPARE(fixed.size(), 46);
    QCOMPARE(own.first(), QStringLiteral("Cartoons"));
    QCOMPARE(own.last(), QStringLiteral("Government"));
    QVERIFY(own.contains("Internet "));
    QVERIFY(!own.contains("Internet"));
    QVERIFY(own.contains("Children's") && own.contains("Children's Stories"));
    QVERIFY(!fixed.contains("Children's") && fixed.contains("Children"));
    QVERIFY(fixed.contains("Children's Stories"));
    QCOMPARE(fixed.mid(31), QStringList({"Elections", "Overseas", "Military", "Sports", "Florida",
                                         "Beach", "Forest", "Mountains", "Homework", "Saturday",
                                         "Sunday", "Theme Parks", "Women", "Men", "Banks"}));
    QCOMPARE(fixed.indexOf("Children"), own.indexOf("Children's"));
    QVERIFY(box(w, "combo_cat")->isEditable());
    QVERIFY(!box(w, "combo_cat1")->isEditable());
    QCOMPARE(box(w, "combo_cat")->maxVisibleItems(), 20);
}

void tst_gamearea_category::postcats()
{
    FakeMainWindow w;
    w.login(3);
    w.area->postacros(received<cmd::toClient::Answers>("2+Old Answer"));
    w.control("entered_2")->show();
    w.area->postcats(received<cmd::toClient::Cats>("5+"));
    QCOMPARE(w.text("label_catagory"), QStringLiteral("5 Letter Round"));
    QCOMPARE(w.visiblePanel(), QStringLiteral("panel_catagory"));
    QCOMPARE(w.text("label_acro2"), QString());
    QVERIFY(!w.shown("entered_2"));
    QCOMPARE(w.st.secondsLeft, 18);
    QVERIFY(w.control<QTimer>("Timer2")->isActive());
}

void tst_gamearea_category::watcherSeesNoBox_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("player") << 3;
    QTest::newRow("spy") << 13;
}

void tst_gamearea_category::watcherSeesNoBox()
{
    QFETCH(int, slot);
    FakeMainWindow w;
    w.login(slot, "Cid");
    w.setBoardName(2, "Ann");
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("2+f+"));
    w.area->postcats(received<cmd::toClient::Cats>("3+"));
    QCOMPARE(w.text("label_choosecat"), QStringLiteral("Ann is choosing a category."));
    QCOMPARE(w.text("label_status"), QStringLiteral("Ann is choosing a category."));
    for (const char *name :
         {"combo_cat", "combo_cat1", "button_save", "label_choosecat2", "label_choosecat3"})
        QVERIFY2(!w.shown(name), name);
    QVERIFY(!w.sounds.contains("catagory"));
    w.area->combo_catKeyPress(box(w, "combo_cat"), Qt::Key_Return);
    w.area->button_saveClick();
    QVERIFY(w.sent.isEmpty());
}

void tst_gamearea_category::chooserBoxes_data()
{
    QTest::addColumn<QByteArray>("flag");
    QTest::newRow("own categories allowed") << QByteArray("f");
    QTest::newRow("fixed list only") << QByteArray("t");
}

void tst_gamearea_category::chooserBoxes()
{
    QFETCH(QByteArray, flag);
    const bool fixed = flag == "t";
    FakeMainWindow w;
    w.login(3, "Cid");
    w.main.show();
    box(w, "combo_cat")->setCurrentText("Leftover");
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+" + flag + "+"));
    QCOMPARE(w.text("label_choosecat"), QStringLiteral("Choose a Category"));
    QCOMPARE(w.text("label_status"), QStringLiteral("Cid is choosing a category."));
    QCOMPARE(box(w, "combo_cat")->currentText(), QStringLiteral("General"));
    QCOMPARE(w.shown("combo_cat"), !fixed);
    QCOMPARE(w.shown("combo_cat1"), fixed);
    QCOMPARE(w.shown("button_save"), !fixed);
    QCOMPARE(w.shown("label_choosecat2"), !fixed);
    QCOMPARE(w.shown("label_choosecat3"), !fixed);
    QCOMPARE(w.sounds, QStringList{"catagory"});
    // The next round with another chooser hides the boxes again.
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("1+" + flag + "+"));
    QVERIFY(!w.shown("combo_cat") && !w.shown("combo_cat1"));
}

void tst_gamearea_category::typingSendsOnlyOnEnter()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QComboBox *own = box(w, "combo_cat");
    own->lineEdit()->clear();
    QTest::keyClicks(own->lineEdit(), "Sea Life");
    QVERIFY(w.sent.isEmpty());
    QTest::keyClick(own->lineEdit(), Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Sea Life"));
    QCOMPARE(own->count(), 31); // Enter adds nothing to the list
    QTest::keyClick(own->lineEdit(), Qt::Key_Enter);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Sea Life"));
}

void tst_gamearea_category::pickFromOpenedListSendsOnce()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QComboBox *own = box(w, "combo_cat");
    own->showPopup();
    QAbstractItemView *view = own->view();
    view->setCurrentIndex(view->model()->index(own->findText("Music"), 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Music"));
    QTest::keyClicks(own->lineEdit(), "al");
    QVERIFY(w.sent.isEmpty());
    QCOMPARE(own->currentText(), QStringLiteral("Musical"));
}

void tst_gamearea_category::fixedListPickAndEnter()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+t+"));
    QComboBox *fixed = box(w, "combo_cat1");
    fixed->showPopup();
    QAbstractItemView *view = fixed->view();
    view->setCurrentIndex(view->model()->index(fixed->findText("Banks"), 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Banks"));
    QTest::keyClick(fixed, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Banks"));
    // The pick-only box keeps its selection into the next round.
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+t+"));
    QCOMPARE(fixed->currentText(), QStringLiteral("Banks"));
}

void tst_gamearea_category::chooserWithoutLoginSendsNothing()
{
    FakeMainWindow w;
    w.st.ownSlot = 3; // a slot, but the login is gone
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QVERIFY(w.shown("combo_cat"));
    w.area->combo_catKeyPress(box(w, "combo_cat"), Qt::Key_Return);
    QVERIFY(w.sent.isEmpty());
}

void tst_gamearea_category::categoryFileReplacesList()
{
    FakeMainWindow w;
    w.login(3);
    QFile file(w.folder.file("acrocats.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Sports\r\nSea Life\r\n");
    file.close();
    w.area->getnextplayer(
        received<cmd::toClient::NextPlayer>("2+f+")); // not the chooser: the file is not read
    QCOMPARE(box(w, "combo_cat")->count(), 31);
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QCOMPARE(items(box(w, "combo_cat")), QStringList({"Sports", "Sea Life"}));
    QCOMPARE(box(w, "combo_cat")->currentText(), QStringLiteral("General"));
}

void tst_gamearea_category::saveButtonAddsNewCategory()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    box(w, "combo_cat")->setCurrentText("Sea Life");
    QTest::mouseClick(w.control("button_save"), Qt::LeftButton);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Sea Life"));
    QFile file(w.folder.file("acrocats.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 33); // 31 built in, the new one, and the end after the last CR LF
    QCOMPARE(lines.at(15), QByteArray("Internet \r"));
    QCOMPARE(lines.at(31), QByteArray("Sea Life\r"));
    QCOMPARE(box(w, "combo_cat")->itemText(31), QStringLiteral("Sea Life"));
}

void tst_gamearea_category::saveButtonKnownCategory_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("same") << "Music";
    QTest::newRow("letter case differs") << "music";
}

void tst_gamearea_category::saveButtonKnownCategory()
{
    QFETCH(QString, text);
    FakeMainWindow w;
    w.login(3);
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    box(w, "combo_cat")->setCurrentText(text);
    w.area->button_saveClick();
    QCOMPARE(w.takeSent(), "CMD_catchoosen+3+" + text.toUtf8() + '\xFF');
    QCOMPARE(box(w, "combo_cat")->count(), 31);
    QVERIFY(!QFile::exists(w.folder.file("acrocats.txt")));
}

void tst_gamearea_category::catchoosen()
{
    FakeMainWindow w;
    w.area->postvotes(received<cmd::toClient::Votes>("y+y+n+2+Ann+3"));
    QVERIFY(!w.text("label_wonround").isEmpty());
    roundstyle::setTextColour(w.control("Label2"), palette::Gray);
    w.area->catchoosen(received<cmd::toClient::Category>("Food"));
    QCOMPARE(w.text("label_catagory"), QStringLiteral("Category: Food"));
    QCOMPARE(w.text("label_catagory1"), QStringLiteral("Food"));
    QCOMPARE(w.text("label_wonround"), QString());
    QCOMPARE(roundstyle::textColour(w.control("Label2")), palette::Navy);
    w.area->catchoosen(received<cmd::toClient::Category>("Plus+Minus"));
    QCOMPARE(w.text("label_catagory1"), QStringLiteral("Plus+Minus"));
}

void tst_gamearea_category::saveCategoryLink()
{
    FakeMainWindow w;
    w.main.show();
    w.area->catchoosen(received<cmd::toClient::Category>("Sea Life"));
    QTest::mouseClick(w.control("Label2"), Qt::LeftButton);
    QCOMPARE(w.categories->categories().first(), QStringLiteral("Sea Life"));
    QCOMPARE(roundstyle::textColour(w.control("Label2")), palette::Gray);
    QTest::mouseClick(w.control("Label2"), Qt::LeftButton);
    QCOMPARE(w.categories->categories().mid(0, 2), QStringList({"Sea Life", "Sea Life"}));
    QVERIFY(QFile::exists(w.folder.file("acrocats.txt")));
}

// Completion suggests in a list; Enter sends the box's text as typed, also
// when the Enter reaches the open list of suggestions.
void tst_gamearea_category::enterSendsWhatWasTyped()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QComboBox *own = box(w, "combo_cat");
    own->lineEdit()->clear();
    QTest::keyClicks(own->lineEdit(), "Pick");
    QCOMPARE(own->currentText(), QStringLiteral("Pick"));
    QWidget *suggestions = own->completer()->popup();
    QVERIFY(suggestions->isVisible());
    QTest::keyClick(suggestions, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Pick"));
    QVERIFY(!suggestions->isVisible());
}

// Opening the list takes the focus from the typed text ("General", not yet the
// box's current entry): that must not count as the pick.
void tst_gamearea_category::firstPickAfterBecomingChooserSends()
{
    FakeMainWindow w;
    w.login(3);
    w.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.main));
    w.area->getnextplayer(received<cmd::toClient::NextPlayer>("3+f+"));
    QComboBox *own = box(w, "combo_cat");
    // A press on the arrow focuses the box and opens the list.
    QTest::mousePress(own, Qt::LeftButton, {}, QPoint(own->width() - 6, own->height() / 2));
    QAbstractItemView *view = own->view();
    QVERIFY(view->isVisible());
    QVERIFY(w.sent.isEmpty());
    view->setCurrentIndex(view->model()->index(own->findText("Music"), 0));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(w.takeSent(), wire("CMD_catchoosen+3+Music"));
}

QTEST_MAIN(tst_gamearea_category)
#include "tst_gamearea_category.moc"
