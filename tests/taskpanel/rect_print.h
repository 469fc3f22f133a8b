#pragma once
// Readable panel rectangles in test messages.
#include <ostream>

#include "taskpanel/qftaskpanel.h"

inline void PrintTo(const QTP_RECT& r, std::ostream* os) {
  *os << "(" << r.LEFT << "," << r.TOP << "," << r.RIGHT << "," << r.BOTTOM << ")";
}
