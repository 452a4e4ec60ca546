// Colour numbers of the class library as both programs store them: 0x00BBGGRR, or a system
// colour (0x80000000 | system colour index) taken from the application palette.
#pragma once

#include <QColor>
#include <cstdint>

QColor ColorValueToQColor(uint32_t value);
