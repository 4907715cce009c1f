// The player's own list of round categories, kept in acrocats.txt in the program's
// folder. The chooser of a round is offered these entries; the main window's
// "Save Category to My list" adds the current category here.
#pragma once

#include "windows/sidewindow.h"

#include <QStringList>

class QLineEdit;
class QListWidget;
class QMenu;

class Tcategorylist : public SideWindow
{
    Q_OBJECT
public:
    explicit Tcategorylist(QWidget *parent = nullptr);

    // The list shown while no acrocats.txt exists.
    static const QStringList &builtinCategories();
    static QString categoryFilePath();
    // acrocats.txt: one category per line; CR, LF or CR LF read, CR LF written.
    // Reading refuses files too large to be a category list. Writing is atomic: on
    // failure the file is left as it was. `error` receives a text for the player.
    static bool readCategoryFile(const QString &path, QStringList *categories, QString *error);
    static bool writeCategoryFile(const QString &path, const QStringList &categories,
                                  QString *error);

    QStringList categories() const;
    // Puts the category on top of the list and saves the list; an empty text adds
    // nothing. False when the list could not be saved (the window keeps the entry).
    bool addCategory(const QString &category);

    // The row under the pointer at the last press in the list, -1 when none.
    int pressedEntry() const;

public slots:
    // Replaces the list with the file's lines when the file exists, then drops
    // empty entries. Runs at creation and at every showing.
    void loadit();
    // Writes the whole list to acrocats.txt.
    bool saveit();
    // The main window's "Save Category to My list": adds the text, as "Add" does,
    // but leaves the text box alone.
    bool saveit(const QString &category);

    void button_addClick();
    void Delete1Click();
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listbox_catsMouseDown(const QPoint &pos);
    void listbox_catsDragDrop(const QPoint &pos);
    void setEntries(const QStringList &entries);

    QLineEdit *editNewcat = nullptr;
    QListWidget *listboxCats = nullptr;
    QMenu *popupMenu = nullptr;
    // Set while acrocats.txt exists but could not be read: saving would replace
    // the player's entries with what the window shows, so it is refused.
    bool fileUnreadable = false;
};
