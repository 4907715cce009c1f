// The built-in category lists the chooser is offered: shared by the round
// screens and the computer players.
#pragma once

#include <QStringList>

namespace categories {

// The typed-or-picked box's own list, used until the player keeps a file.
const QStringList &comboCategories();

// The pick-only list offered when only the fixed list may be used.
const QStringList &fixedCategories();

} // namespace categories
