// Helpers shared by the window tests.
#pragma once

#include <QApplication>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

// Readable QStrings in failure messages (found by argument lookup).
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tessaline::test {

// Lets the window system deliver what it queued (top-level resizes, scrolls).
inline void pump() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Twips to pixels on the test screen (96 dpi, 15 twips a pixel); tests use
// whole pixels' worth of twips so that no rounding is involved.
inline int px(int twips) {
    EXPECT_EQ(twips % 15, 0) << twips << " twips is not a whole number of pixels";
    return twips / 15;
}

inline QRect enTwips(const QRect& g) {
    return {g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15};
}

} // namespace tessaline::test
