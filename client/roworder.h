// The twelve rows the board and the voting screen share: where a row sits and
// the orders that say which slot or answer each row shows.
#pragma once

#include <QVector>

namespace roworder {

inline constexpr int Rows = 12;

// The top of row 1 to 12, in the board's and the voting panel's coordinates.
constexpr int rowTop(int row)
{
    return 18 * row - 14;
}

// An order of the wrong length is made whole again: 1 to 12 in turn.
inline void mend(QVector<int> &order)
{
    if (order.size() == Rows) return;
    order.resize(Rows);
    for (int k = 0; k < Rows; ++k)
        order[k] = k + 1;
}

} // namespace roworder
