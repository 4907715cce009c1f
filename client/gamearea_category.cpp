// Category choice: the chooser's boxes, sending the choice, the category caption
// and the "Save Category to My list" link.
#include "client/gamearea.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

#include "client/colortext.h"
#include "game/categories.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"
#include "windows/tcategorylist.h"

namespace {

const QString ChooseCaption = QStringLiteral("Choose a Category");
const QString IsChoosing = QStringLiteral(" is choosing a category.");
const QString OwnCategoryCaption = QStringLiteral("Or Enter a Category of your Own");
const QString ListHint =
    QStringLiteral("Create a Category List under \"View\" and \"Category List!\"");
const QString LetterRound = QStringLiteral(" Letter Round");
const QString CategoryCaption = QStringLiteral("Category: ");
const QString DefaultCategory = QStringLiteral("General");
const int CategoryStageSeconds = 18;
const int DroppedRows = 20;

// A combo box that reports the opening of its list.
class CategoryBox : public QComboBox
{
public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;

    void showPopup() override
    {
        // Opening the list takes the focus from the text, which may report a
        // change of its own; only what is picked after that counts as a pick.
        QComboBox::showPopup();
        if (onDropDown) onDropDown();
    }
};

QLabel *categoryCaption(QWidget *parent, const char *name, const QString &text,
                        const QRect &geometry, int points = 0)
{
    auto *label = new PlainLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label, palette::Yellow);
    roundstyle::setBold(label, true);
    if (points > 0) roundstyle::setPointSize(label, points);
    return label;
}

} // namespace

void Tgamearea::buildCategoryPanel()
{
    panel_catagory = new QWidget(this);
    panel_catagory->setObjectName("panel_catagory");

    label_choosecat = categoryCaption(panel_catagory, "label_choosecat", ChooseCaption,
                                      QRect(0, 10, 782, 30), 17);
    auto makeBox = [this](const char *name, bool editable, const QStringList &items) {
        auto *box = new CategoryBox(panel_catagory);
        box->setObjectName(name);
        box->setEditable(editable);
        box->setInsertPolicy(QComboBox::NoInsert);
        if (QCompleter *completer = box->completer()) {
            // Completion only suggests, in a list under the box: the text stays
            // what the player typed until a suggestion is chosen.
            completer->setCompletionMode(QCompleter::PopupCompletion);
            completer->popup()->installEventFilter(this);
        }
        box->setMaxVisibleItems(DroppedRows);
        box->addItems(items);
        box->setGeometry(251, 48, 280, 28);
        roundstyle::setPointSize(box, 11);
        box->onDropDown = [this, box] { combo_catDropDown(box); };
        // A pick from the list, or typing in the box.
        connect(box, &QComboBox::activated, this, [this, box] { combo_catChange(box); });
        box->installEventFilter(this);
        box->hide();
        return box;
    };
    combo_cat = makeBox("combo_cat", true, categories::comboCategories());
    combo_cat->setCurrentText(DefaultCategory);
    connect(combo_cat->lineEdit(), &QLineEdit::textEdited, this,
            [this] { combo_catChange(combo_cat); });
    combo_cat->lineEdit()->installEventFilter(this);
    combo_cat1 = makeBox("combo_cat1", false, categories::fixedCategories());
    combo_cat1->setCurrentIndex(combo_cat1->findText(DefaultCategory));

    label_choosecat2 = categoryCaption(panel_catagory, "label_choosecat2", OwnCategoryCaption,
                                       QRect(0, 82, 782, 20));
    label_choosecat2->hide();

    button_save = new RoundPictureButton(panel_catagory);
    button_save->setObjectName("button_save");
    button_save->setPicture(res::save);
    button_save->setToolTip(QStringLiteral("Save this category to your list and choose it"));
    button_save->setGeometry(361, 108, 60, 20);
    button_save->hide();
    connect(button_save, &QAbstractButton::clicked, this, [this] { button_saveClick(); });

    label_choosecat3 =
        categoryCaption(panel_catagory, "label_choosecat3", ListHint, QRect(0, 136, 782, 20));
    label_choosecat3->hide();

    label_playersnames2 =
        categoryCaption(panel_catagory, "label_playersnames2", QString(), QRect(0, 170, 782, 22));
    label_playtoscore =
        categoryCaption(panel_catagory, "label_playtoscore", QStringLiteral("Play to Score: 30"),
                        QRect(20, 208, 300, 20));
    label_playtoscore->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_creationtime =
        categoryCaption(panel_catagory, "label_creationtime",
                        QStringLiteral("Time to Create Acro: 60"), QRect(462, 208, 300, 20));
    label_creationtime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    roundstyle::setTag(label_creationtime, 60);
}

void Tgamearea::postcats(const cmd::toClient::Cats &message)
{
    label_catagory->setText(QString::fromUtf8(message.letterCount.text) + LetterRound);
    setpanels(panel_catagory);
    clearacros();
    startCountdown(CategoryStageSeconds);
}

void Tgamearea::getnextplayer(const cmd::toClient::NextPlayer &message)
{
    categoryDropped = false;
    ClientState &state = context->state();
    state.chooserSlot = message.chooser.get();
    const QByteArray &fixedList = message.noCouch;
    roundstyle::setTag(edit_answer, 0);

    const QString name = boardName(state.chooserSlot);
    // The host names the chooser by slot; two players may share a name.
    const bool chooser = state.ownSlot != 0 && state.chooserSlot == state.ownSlot;
    if (!chooser) {
        label_choosecat->setText(name + IsChoosing);
        for (QWidget *control :
             {static_cast<QWidget *>(label_choosecat2), static_cast<QWidget *>(label_choosecat3),
              static_cast<QWidget *>(combo_cat), static_cast<QWidget *>(combo_cat1),
              static_cast<QWidget *>(button_save)})
            control->hide();
    } else {
        loadCategoryFile();
        label_choosecat->setText(ChooseCaption);
        label_choosecat2->show();
        combo_cat->setCurrentText(DefaultCategory);
        if (fixedList == "t") {
            combo_cat1->show();
            for (QWidget *control :
                 {static_cast<QWidget *>(combo_cat), static_cast<QWidget *>(button_save),
                  static_cast<QWidget *>(label_choosecat2),
                  static_cast<QWidget *>(label_choosecat3)})
                control->hide();
        } else {
            combo_cat->show();
            combo_cat1->hide();
            button_save->show();
            label_choosecat2->show();
            label_choosecat3->show();
        }
        context->playsounds(QStringLiteral("catagory"));
    }
    setStatus(name + IsChoosing);
}

void Tgamearea::loadCategoryFile()
{
    const QString path = Tcategorylist::categoryFilePath();
    if (!QFile::exists(path)) return;
    QStringList list;
    QString error;
    if (!Tcategorylist::readCategoryFile(path, &list, &error)) {
        context->addlinetochat(error, colortext::clRed);
        return;
    }
    const QString text = combo_cat->currentText();
    combo_cat->clear();
    combo_cat->addItems(list);
    combo_cat->setCurrentText(text);
}

bool Tgamearea::saveCategoryFile(const QStringList &list)
{
    QString error;
    if (Tcategorylist::writeCategoryFile(Tcategorylist::categoryFilePath(), list, &error))
        return true;
    context->addlinetochat(error, colortext::clRed);
    return false;
}

void Tgamearea::catchoosen(const cmd::toClient::Category &message)
{
    const QString category = QString::fromUtf8(message.category);
    label_wonround->clear();
    label_catagory1->setText(category);
    label_catagory->setText(CategoryCaption + category);
    roundstyle::setTextColour(Label2, palette::Navy);
}

void Tgamearea::sendCategory(QComboBox *box)
{
    const ClientState &state = context->state();
    if (state.loggedIn && state.chooserSlot == state.ownSlot)
        context->sendToHost(cmd::client::catchoosen(
            state.ownSlot, cmd::cutText(box->currentText().toUtf8(), cmd::MaxTextBytes)));
    focusChat();
}

void Tgamearea::combo_catDropDown(QComboBox *)
{
    categoryDropped = true;
}

void Tgamearea::combo_catChange(QComboBox *sender)
{
    const ClientState &state = context->state();
    if (state.chooserSlot == state.ownSlot && categoryDropped) {
        categoryDropped = false;
        sendCategory(sender);
    }
    categoryDropped = false;
}

bool Tgamearea::combo_catKeyPress(QComboBox *sender, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    if (QCompleter *completer = sender->completer())
        if (completer->popup()->isVisible()) completer->popup()->hide();
    sendCategory(sender);
    return true;
}

void Tgamearea::button_saveClick()
{
    const QString text = combo_cat->currentText();
    bool listed = false;
    QStringList list;
    for (int i = 0; i < combo_cat->count(); ++i) {
        list << combo_cat->itemText(i);
        if (list.last().compare(text, Qt::CaseInsensitive) == 0) listed = true;
    }
    if (!listed) {
        combo_cat->addItem(text);
        combo_cat->setCurrentText(text);
        list << text;
        saveCategoryFile(list);
    }
    sendCategory(combo_cat);
}

void Tgamearea::Label2Click()
{
    if (Tcategorylist *categories = context->categoryList())
        categories->saveit(label_catagory1->text());
    roundstyle::setTextColour(Label2, palette::Gray);
}
