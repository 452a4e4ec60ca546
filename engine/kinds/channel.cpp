#include "engine/kinds/channel.h"

#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"
#include "engine/vm/simulator.h"

#include <cstdio>
#include <string>

namespace quendal {

template <class Base> bool CChannelBlock<Base>::SetParam(const char* text) {
    Number.Set(text);
    return true;
}

template <class Base> bool CChannelBlock<Base>::EditParam() {
    std::string text = Number.Text;
    if (!dialogs::SelectNumber(kind_.Caption, "W\xE4hlen Sie eine Portnummer aus", kind_.Channels,
                               text))
        return false;
    SetParam(text.c_str());
    return true;
}

template <class Base> const char* CChannelBlock<Base>::GetSymbolicName() {
    std::snprintf(name_, sizeof name_, kind_.NameFormat, Number.N);
    return name_;
}

template <class Base> int32_t CChannelBlock<Base>::GetMapCode() const {
    return MakeMapCode(MapByte, kind_.MapArea, static_cast<uint16_t>(Number.N - 1));
}

template <class Base> uint8_t CChannelBlock<Base>::ChannelOperand() const {
    return NumberOperand(this->Handle(), Number.N, kind_.Channels);
}

template class CChannelBlock<CSinkBlock>;
template class CChannelBlock<CSourceBlock>;

} // namespace quendal
