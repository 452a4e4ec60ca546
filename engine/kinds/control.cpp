#include "engine/kinds/control.h"

namespace quendal {

int CControlBlock::InputType(int) const {
    return OutNumber;
}

} // namespace quendal
