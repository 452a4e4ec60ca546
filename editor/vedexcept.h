// Exceptions of the editor component and the string table entries they carry.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ved {

// String table ids used by the component.
enum VedStringId : int {
    SDuplicateCommand = 34169,
    STableNotFound = 34170,
    SNoControllerAssigned = 34172,
    SUnknownError = 34168,
    SRegionTooLarge = 34186,
    SNoTimersAvailable = 34189,
    SOutOfMemory = 34197,
    STooManyParas = 34198,
    SJoinTooLong = 34199,
    SByteLimit = 34200,
    SParaTooLong = 34201,
    SInvalidLineOrPara = 34213,
    SInvalidFixedFont = 34214,
    SInvalidFontParam = 34215,
    SInvalidLineOrCol = 34216,
    STableDefault = 34275,
    STableWordStar = 34276,
    STableUnknown = 34277,
    STableGrid = 34284,
    SYes = 34368,
    SNo = 34369,
    STrue = 34370,
    SFalse = 34371,
};

// Text of a string table entry; empty for ids the component does not carry.
const char* VedString(int id);

// Edit error codes reported by the paragraph list and the editor.
enum VedErrorCode : uint16_t {
    VedOk = 0,
    VedErrMemory = 263,
    VedErrRegionTooLarge = 264,
    VedErrParaLimit = 265,
    VedErrJoinTooLong = 266,
    VedErrByteLimit = 267,
    VedErrParaLength = 268,
};

// Message of an edit error code (263 to 268; anything else is "Unknown Error condition").
const char* VedErrorMessage(uint16_t code);

class EVedException : public std::runtime_error {
public:
    explicit EVedException(const std::string& message) : std::runtime_error(message) {}
};

class ENoTimersAvailable : public EVedException {
public:
    ENoTimersAvailable() : EVedException(VedString(SNoTimersAvailable)) {}
};

class EControllerError : public EVedException {
    using EVedException::EVedException;
};

class ENoControllerAssigned : public EControllerError {
public:
    ENoControllerAssigned() : EControllerError(VedString(SNoControllerAssigned)) {}
};

class ECmdProcessorError : public EVedException {
    using EVedException::EVedException;
};

class EDuplicateCommand : public ECmdProcessorError {
public:
    EDuplicateCommand() : ECmdProcessorError(VedString(SDuplicateCommand)) {}
};

class ETableNotFound : public ECmdProcessorError {
public:
    ETableNotFound() : ECmdProcessorError(VedString(STableNotFound)) {}
};

// An edit failure with its error code (263 to 268 or other).
class EEditorError : public EVedException {
public:
    EEditorError(const std::string& message, uint16_t code) : EVedException(message), code_(code) {}
    explicit EEditorError(uint16_t code) : EVedException(VedErrorMessage(code)), code_(code) {}
    uint16_t ErrorCode() const { return code_; }

private:
    uint16_t code_;
};

class EInvalidLineOrCol : public EEditorError {
public:
    EInvalidLineOrCol() : EEditorError(VedString(SInvalidLineOrCol), 0) {}
};

class EInvalidLineOrPara : public EEditorError {
public:
    EInvalidLineOrPara() : EEditorError(VedString(SInvalidLineOrPara), 0) {}
};

class EFixedFontError : public EVedException {
    using EVedException::EVedException;
};

class EInvalidFixedFont : public EFixedFontError {
public:
    EInvalidFixedFont() : EFixedFontError(VedString(SInvalidFixedFont)) {}
};

class EInvalidFontParam : public EFixedFontError {
public:
    EInvalidFontParam() : EFixedFontError(VedString(SInvalidFontParam)) {}
};

// Paragraph storage that cannot get memory for a new node.
class EOutOfMemory : public std::runtime_error {
public:
    EOutOfMemory() : std::runtime_error(VedString(SOutOfMemory)) {}
};

} // namespace ved
