// The family-room word filter: every listed word in an answer becomes "****".
#pragma once

#include <QString>
#include <QStringList>

namespace WordFilter {

// The fixed list, lower case, in the order it is applied.
const QStringList &entries();

// Returns text with every occurrence of a listed entry (letter case ignored,
// inside longer words too) replaced by exactly four asterisks.
QString filterWords(const QString &text);

} // namespace WordFilter
