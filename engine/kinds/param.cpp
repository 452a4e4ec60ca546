#include "engine/kinds/param.h"

#include "engine/compiler.h"

namespace quendal {

void CopyParam(char* dest, const char* text, int max) {
    int i = 0;
    for (; text != nullptr && i < max && text[i] != '\0'; ++i)
        dest[i] = text[i];
    dest[i] = '\0';
}

int32_t DecimalValue(const char* text, int max) {
    if (text == nullptr)
        return 0;
    int i = 0;
    while (i < max && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < max && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Unsigned arithmetic: a long digit string wraps instead of overflowing.
    uint32_t value = 0;
    for (; i < max && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

uint8_t NumberOperand(int32_t handle, int32_t number, int32_t maximum) {
    if (number < 1 || number > maximum)
        throw COMPILERERROR{handle, kMsgMissingParameter};
    return static_cast<uint8_t>(number - 1);
}

} // namespace quendal
