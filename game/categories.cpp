#include "game/categories.h"

namespace categories {

// The typed-or-picked box's own list, used until the player keeps a file.
const QStringList &comboCategories()
{
    static const QStringList list = {"Cartoons",
                                     "Computers",
                                     "Food",
                                     "General",
                                     "Movie Stars",
                                     "Movies",
                                     "Music",
                                     "Parties",
                                     "Pick up Lines",
                                     "Fables",
                                     "Unusual Occupations",
                                     "Money",
                                     "Body Parts",
                                     "Children's Stories",
                                     "Fast Food",
                                     "Internet ",
                                     "Summertime",
                                     "Wintertime",
                                     "Daytime Activities",
                                     "Nighttime Activities",
                                     "School",
                                     "Animals",
                                     "Books",
                                     "Restaurants",
                                     "Airplanes",
                                     "Automobiles",
                                     "Parents",
                                     "Children's",
                                     "Grandparents",
                                     "History",
                                     "Government"};
    return list;
}

// The pick-only list offered when only the fixed list may be used.
const QStringList &fixedCategories()
{
    static const QStringList list = [] {
        QStringList list = comboCategories();
        list[list.indexOf(QStringLiteral("Children's"))] = QStringLiteral("Children");
        list << "Elections"
             << "Overseas"
             << "Military"
             << "Sports"
             << "Florida"
             << "Beach"
             << "Forest"
             << "Mountains"
             << "Homework"
             << "Saturday"
             << "Sunday"
             << "Theme Parks"
             << "Women"
             << "Men"
             << "Banks";
        return list;
    }();
    return list;
}

} // namespace categories
