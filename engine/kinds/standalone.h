// Statements without inputs or output: data-file open and close, serial baud rate.
#pragma once

#include "engine/block.h"

namespace quendal {

class COpenFileForWriteBlock : public CStandaloneBlock {
public:
    explicit COpenFileForWriteBlock(int32_t handle) : CStandaloneBlock(handle) {}
};

class COpenFileForAppendBlock : public CStandaloneBlock {
public:
    explicit COpenFileForAppendBlock(int32_t handle) : CStandaloneBlock(handle) {}
};

class COpenFileForReadBlock : public CStandaloneBlock {
public:
    explicit COpenFileForReadBlock(int32_t handle) : CStandaloneBlock(handle) {}
};

class CCloseFileBlock : public CStandaloneBlock {
public:
    explicit CCloseFileBlock(int32_t handle) : CStandaloneBlock(handle) {}
};

class CBaudBlock : public CStandaloneBlock {
public:
    explicit CBaudBlock(int32_t handle) : CStandaloneBlock(handle) { SetParam("8"); }
};

} // namespace quendal
