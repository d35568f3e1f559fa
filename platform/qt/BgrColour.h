// Colours as the program keeps them: 0x00BBGGRR, red in the low byte.
#pragma once

#include <QColor>

#include <cstdint>

namespace qm {

inline QColor ColourFromBgr(std::int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline std::int32_t BgrFromColour(const QColor& c) {
    return c.red() | c.green() << 8 | c.blue() << 16;
}

} // namespace qm
