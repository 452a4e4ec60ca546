// Statements without inputs or output: data-file open and close, serial baud rate.
#pragma once

#include "engine/block.h"
#include "engine/vm/opcodes.h"

namespace quendal {

// One data-file operation of the machine (opcode 70 and its operand).
class CFileOperationBlock : public CStandaloneBlock {
public:
    CFileOperationBlock(int32_t handle, FileOp operation)
        : CStandaloneBlock(handle), Operation(operation) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    const FileOp Operation;
};

class COpenFileForWriteBlock : public CFileOperationBlock {
public:
    explicit COpenFileForWriteBlock(int32_t handle)
        : CFileOperationBlock(handle, FileOp::OpenEmpty) {}
};

class COpenFileForAppendBlock : public CFileOperationBlock {
public:
    explicit COpenFileForAppendBlock(int32_t handle)
        : CFileOperationBlock(handle, FileOp::OpenAppend) {}
};

class COpenFileForReadBlock : public CFileOperationBlock {
public:
    explicit COpenFileForReadBlock(int32_t handle)
        : CFileOperationBlock(handle, FileOp::OpenKeep) {}
};

class CCloseFileBlock : public CFileOperationBlock {
public:
    explicit CCloseFileBlock(int32_t handle) : CFileOperationBlock(handle, FileOp::Close) {}
};

// Rate code 1, 2, 4 or 8 for 1200 to 9600 bit/s.
class CBaudBlock : public CStandaloneBlock {
public:
    explicit CBaudBlock(int32_t handle) : CStandaloneBlock(handle) { SetParam("8"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    int32_t RateCode = 8;
    char Text[10] = {};
};

} // namespace quendal
