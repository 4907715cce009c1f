#include "windows/tcategorylist.h"

#include "resources/palette.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "windows/plaintext.h"
#include "windows/playerfile.h"

#include <QAction>
#include <QDrag>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char CategoryFileName[] = "acrocats.txt";
// A list of categories is a few kilobytes; anything near this is not one.
constexpr qint64 MaxCategoryFileSize = 1024 * 1024;
// What a drag out of the list carries; nothing else is accepted as a drop.
const char DragFormat[] = "application/x-quibbleton-category";

const char WindowTitleText[] = "Quibbleton - Category List";
const char HeadingText[] = "Your Quibbleton Category List";
const char HintText[] = "To Delete an Entry, Right Click on the Entry and select Delete.";
const char CannotRead[] =
    "Your category list %1 could not be read: %2.\n"
    "The file is left as it is; changes made in the list are not saved to it until it can be "
    "read.";
const char CannotWrite[] = "Your category list could not be saved to %1: %2.\n"
                           "The file was left as it was.";
const char NotSavedUnreadable[] =
    "Your category list %1 could not be read, so it was not overwritten. The change shows "
    "in the list but is not saved.";

// The list box starts its own drags, so that a drop never makes the view remove
// the dragged row behind the window's back.
class CategoryListBox : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    void startDrag(Qt::DropActions) override
    {
        auto *mime = new QMimeData;
        mime->setData(QLatin1String(DragFormat), QByteArray());
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        const QPixmap hand(QString::fromLatin1(res::hand));
        if (!hand.isNull()) drag->setDragCursor(hand, Qt::MoveAction);
        drag->exec(Qt::MoveAction);
    }
};
} // namespace

Tcategorylist::Tcategorylist(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("categorylist"));
    setWindowTitle(QLatin1String(WindowTitleText));

    auto *heading = new PlainLabel(QLatin1String(HeadingText), this);
    heading->setObjectName(QStringLiteral("label_heading"));
    styleLabel(heading, palette::Yellow, font().pointSize() + 3);
    heading->setAlignment(Qt::AlignCenter);

    editNewcat = new QLineEdit(this);
    editNewcat->setObjectName(QStringLiteral("edit_newcat"));
    editNewcat->installEventFilter(this);
    auto *buttonAdd = new QPushButton(QStringLiteral("Add"), this);
    buttonAdd->setObjectName(QStringLiteral("button_add"));
    buttonAdd->setAutoDefault(false);

    listboxCats = new CategoryListBox(this);
    listboxCats->setObjectName(QStringLiteral("listbox_cats"));
    listboxCats->setDragEnabled(true);
    listboxCats->setAcceptDrops(true);
    listboxCats->setDragDropMode(QAbstractItemView::DragDrop);
    // Drops must reach the viewport, where the filter below takes them.
    listboxCats->viewport()->setAcceptDrops(true);
    listboxCats->setContextMenuPolicy(Qt::CustomContextMenu);
    listboxCats->viewport()->installEventFilter(this);

    popupMenu = new QMenu(this);
    popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *delete1 = popupMenu->addAction(QStringLiteral("Delete"));
    delete1->setObjectName(QStringLiteral("Delete1"));

    auto *hint = new PlainLabel(QLatin1String(HintText), this);
    hint->setObjectName(QStringLiteral("label_hint"));
    styleLabel(hint, palette::Yellow);
    hint->setWordWrap(true);

    auto *buttonDone = new QPushButton(QStringLiteral("Done"), this);
    buttonDone->setObjectName(QStringLiteral("button_done"));
    buttonDone->setAutoDefault(false);

    auto *addRow = new QHBoxLayout;
    addRow->addWidget(editNewcat, 1);
    addRow->addWidget(buttonAdd);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(heading);
    layout->addLayout(addRow);
    layout->addWidget(listboxCats, 1);
    layout->addWidget(hint);
    layout->addWidget(buttonDone, 0, Qt::AlignRight);
    resize(320, 420);

    connect(buttonAdd, &QPushButton::clicked, this, &Tcategorylist::button_addClick);
    connect(buttonDone, &QPushButton::clicked, this, &Tcategorylist::button_doneClick);
    connect(delete1, &QAction::triggered, this, &Tcategorylist::Delete1Click);
    connect(listboxCats, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        popupMenu->popup(listboxCats->viewport()->mapToGlobal(pos));
    });

    setEntries(builtinCategories());
    loadit();
}

const QStringList &Tcategorylist::builtinCategories()
{
    static const QStringList list = {
        QStringLiteral("Cartoons"),
        QStringLiteral("Computers"),
        QStringLiteral("Food"),
        QStringLiteral("Movie Stars"),
        QStringLiteral("Movies"),
        QStringLiteral("Music"),
        QStringLiteral("Parties"),
        QStringLiteral("Pick up Lines"),
        QStringLiteral("Fables"),
        QStringLiteral("Unusual Occupations"),
        QStringLiteral("Money"),
        QStringLiteral("Body Parts"),
        QStringLiteral("Children's Stories"),
        QStringLiteral("Fast Food"),
        QStringLiteral("Internet "),
        QStringLiteral("Summertime"),
        QStringLiteral("Wintertime"),
        QStringLiteral("Daytime Activities"),
        QStringLiteral("Nighttime Activities"),
        QStringLiteral("School"),
        QStringLiteral("Animals"),
        QStringLiteral("Books"),
        QStringLiteral("Resturants"),
        QStringLiteral("Airplanes"),
        QStringLiteral("Autmobiles"),
        QStringLiteral("Parents"),
        QStringLiteral("Childern"),
        QStringLiteral("Grandparents"),
        QStringLiteral("History"),
        QStringLiteral("Goverment"),
    };
    return list;
}

QString Tcategorylist::categoryFilePath()
{
    return dataFile(QLatin1String(CategoryFileName));
}

bool Tcategorylist::readCategoryFile(const QString &path, QStringList *categories, QString *error)
{
    QByteArray data;
    if (playerfile::readFile(path, MaxCategoryFileSize, &data, error) != playerfile::Read::Ok)
        return false;
    *categories = playerfile::splitLines(data);
    return true;
}

bool Tcategorylist::writeCategoryFile(const QString &path, const QStringList &categories,
                                      QString *error)
{
    return playerfile::writeLines(path, categories, error);
}

QStringList Tcategorylist::categories() const
{
    QStringList list;
    for (int i = 0; i < listboxCats->count(); ++i)
        list.append(listboxCats->item(i)->text());
    return list;
}

int Tcategorylist::pressedEntry() const
{
    return listboxCats->property("Tag").toInt();
}

void Tcategorylist::setEntries(const QStringList &entries)
{
    listboxCats->clear();
    listboxCats->addItems(entries);
    listboxCats->setProperty("Tag", -1);
}

void Tcategorylist::loadit()
{
    const QString path = categoryFilePath();
    QByteArray data;
    QString error;
    const playerfile::Read result = playerfile::readFile(path, MaxCategoryFileSize, &data, &error);
    if (result == playerfile::Read::Failed) {
        // Told once, not at every showing while the file stays unreadable.
        if (!fileUnreadable) notify(QString::fromLatin1(CannotRead).arg(path, error));
        fileUnreadable = true;
        return;
    }
    fileUnreadable = false;
    QStringList lines =
        result == playerfile::Read::Ok ? playerfile::splitLines(data) : categories();
    lines.removeAll(QString());
    setEntries(lines);
}

bool Tcategorylist::saveit()
{
    const QString path = categoryFilePath();
    if (fileUnreadable) {
        notify(QString::fromLatin1(NotSavedUnreadable).arg(path));
        return false;
    }
    QString error;
    if (writeCategoryFile(path, categories(), &error)) return true;
    notify(QString::fromLatin1(CannotWrite).arg(path, error));
    return false;
}

bool Tcategorylist::addCategory(const QString &category)
{
    if (category.isEmpty()) return false;
    listboxCats->insertItem(0, playerfile::oneLine(category));
    listboxCats->setProperty("Tag", -1);
    return saveit();
}

bool Tcategorylist::saveit(const QString &category)
{
    return addCategory(category);
}

void Tcategorylist::button_addClick()
{
    const QString text = editNewcat->text();
    if (text.isEmpty()) return;
    addCategory(text);
    editNewcat->clear();
}

void Tcategorylist::Delete1Click()
{
    const int entry = pressedEntry();
    listboxCats->setProperty("Tag", -1);
    if (entry < 0 || entry >= listboxCats->count()) return;
    delete listboxCats->takeItem(entry);
    saveit();
}

void Tcategorylist::button_doneClick()
{
    close();
}

void Tcategorylist::listbox_catsMouseDown(const QPoint &pos)
{
    listboxCats->setProperty("Tag", listboxCats->indexAt(pos).row());
}

void Tcategorylist::listbox_catsDragDrop(const QPoint &pos)
{
    const int from = pressedEntry();
    listboxCats->setProperty("Tag", -1);
    if (from < 0 || from >= listboxCats->count()) return;
    const int target = listboxCats->indexAt(pos).row();
    const int to = target < 0 ? listboxCats->count() - 1 : target;
    if (to != from) listboxCats->insertItem(to, listboxCats->takeItem(from));
    listboxCats->setCurrentRow(to);
    saveit();
}

void Tcategorylist::showEvent(QShowEvent *event)
{
    // The main window may have added an entry to the file since the last showing.
    if (!event->spontaneous()) loadit();
    SideWindow::showEvent(event);
}

bool Tcategorylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editNewcat && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button_addClick();
            return true;
        }
        return false;
    }
    if (watched != listboxCats->viewport()) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        listbox_catsMouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (pressedEntry() >= 0 && drag->mimeData()->hasFormat(QLatin1String(DragFormat)))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!drop->mimeData()->hasFormat(QLatin1String(DragFormat))) {
            drop->ignore();
            return true;
        }
        listbox_catsDragDrop(drop->position().toPoint());
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}
