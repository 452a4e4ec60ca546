// The converter kinds chosen by channel number: the A/D inputs and the D/A outputs.
#pragma once

#include "engine/block.h"
#include "engine/kinds/exmemory.h"

namespace quendal {

// What sets one converter kind apart.
struct ChannelKind {
    const char* NameFormat; // the symbolic name, "AD[%d]"
    uint8_t MapArea;
    int32_t Channels;    // the numbers 1..Channels
    const char* Caption; // of the number dialog
};

// A converter kind on its source or sink base: the parameter is the channel number.
template <class Base> class CChannelBlock : public Base {
public:
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Number.Text; }
    const char* GetIndexDescription() override { return Number.Text; }
    const char* GetSymbolicName() override;
    int32_t GetMapCode() const override;

    BlockNumber Number;

protected:
    template <class... BaseArgs>
    explicit CChannelBlock(const ChannelKind& kind, BaseArgs... baseArgs)
        : Base(baseArgs...), kind_(kind) {}
    // The channel as operand; a number outside 1..Channels fails the compile.
    uint8_t ChannelOperand() const;

private:
    const ChannelKind& kind_;
    char name_[24] = {};
};

extern template class CChannelBlock<CSinkBlock>;
extern template class CChannelBlock<CSourceBlock>;

} // namespace quendal
