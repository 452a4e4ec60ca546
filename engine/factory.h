// The block factory: a block kind for every BlockTypeId.
#pragma once

#include <cstdint>

struct CMoltrane;

namespace quendal {

class CBlock;
struct KindCounts;

enum BlockTypeId : int32_t {
    IdBitPort = 100,
    IdBytePort = 101,
    IdWordPort = 102,
    IdADPort = 103,
    IdDAPort = 104,
    IdFreq = 105,
    IdKeyboard = 106,
    IdLCD = 107,
    IdBeep = 108,
    IdLED = 109,
    IdAdd = 200,
    IdSub = 201,
    IdMul = 202,
    IdDiv = 203,
    IdMod = 204,
    IdNeg = 205,
    IdAbs = 206,
    IdSgn = 207,
    IdRand = 208,
    IdTab = 209,
    IdMin = 210,
    IdMax = 211,
    IdShl = 212,
    IdShr = 213,
    IdValueSwitch = 214,
    IdSqrt = 215,
    IdNot = 300,
    IdAnd = 301,
    IdNand = 302,
    IdOr = 303,
    IdNor = 304,
    IdXor = 305,
    IdLower = 400,
    IdLowerSame = 401,
    IdHigher = 402,
    IdHigherSame = 403,
    IdEqual = 404,
    IdNotEqual = 405,
    IdZero = 406,
    IdNotZero = 407,
    IdLowerZero = 408,
    IdHigherZero = 409,
    IdSec = 500,
    IdMinute = 501,
    IdHour = 502,
    IdTimeInfo = 503,
    IdDay = 504,
    IdMonth = 506,
    IdYear = 507,
    IdDateInfo = 508,
    IdTimer = 509,
    IdUserBit = 600,
    IdUserByte = 601,
    IdUserWord = 602,
    IdConstValue = 700,
    IdConstChar = 701,
    IdConstText = 702,
    IdConstTime = 703,
    IdConstDate = 704,
    IdOpenFileForWrite = 800,
    IdOpenFileForAppend = 801,
    IdOpenFileForRead = 802,
    IdWriteFile = 803,
    IdReadFile = 804,
    IdCloseFile = 805,
    IdFileEOF = 806,
    IdFileFree = 807,
    IdPrint = 900,
    IdInput = 901,
    IdPut = 902,
    IdGet = 903,
    IdBaud = 904,
    IdRXD = 905,
    IdGoto = 1000,
    IdGosub = 1001,
    IdReturn = 1002,
    IdOnGoto = 1003,
    IdOnGosub = 1004,
    IdWait = 1005,
    IdPause = 1006,
    IdEnd = 1007,
};

// The kind's object for the id, or null for an id that is not in the table. Kinds that the
// compiler counts raise and lower counts.
CBlock* CreateBlock(int32_t typeId, int32_t handle, KindCounts& counts);

// Builds the kind and appends it to the page the handle's high word names: 1 on success and
// for an unknown id (which adds nothing), 0 when the page does not exist or memory ran out.
int32_t AddBlock(CMoltrane& engine, int32_t typeId, int32_t handle);

} // namespace quendal
