#include "engine/factory.h"

#include "engine/kinds/calculator.h"
#include "engine/kinds/control.h"
#include "engine/kinds/exmemory.h"
#include "engine/kinds/memory.h"
#include "engine/kinds/sink.h"
#include "engine/kinds/source.h"
#include "engine/kinds/standalone.h"
#include "engine/moltrane.h"

namespace quendal {

CBlock* CreateBlock(int32_t typeId, int32_t handle, KindCounts& counts) {
    switch (typeId) {
    case 100:
        return new CBitPortBlock(handle);
    case 101:
        return new CBytePortBlock(handle);
    case 102:
        return new CWordPortBlock(handle);
    case 103:
        return new CADPortBlock(handle);
    case 104:
        return new CDAPortBlock(handle);
    case 105:
        return new CFreqBlock(handle);
    case 106:
        return new CKeyboardBlock(handle, counts);
    case 107:
        return new CLCDBlock(handle, counts);
    case 108:
        return new CBeepBlock(handle);
    case 109:
        return new CLEDBlock(handle, counts);
    case 200:
        return new CAddBlock(handle);
    case 201:
        return new CSubBlock(handle);
    case 202:
        return new CMulBlock(handle);
    case 203:
        return new CDivBlock(handle);
    case 204:
        return new CModBlock(handle);
    case 205:
        return new CNegBlock(handle);
    case 206:
        return new CAbsBlock(handle);
    case 207:
        return new CSgnBlock(handle);
    case 208:
        return new CRandBlock(handle);
    case 209:
        return new CTabBlock(handle);
    case 210:
        return new CMinBlock(handle);
    case 211:
        return new CMaxBlock(handle);
    case 212:
        return new CShlBlock(handle);
    case 213:
        return new CShrBlock(handle);
    case 214:
        return new CValueSwitchBlock(handle);
    case 215:
        return new CSqrtBlock(handle);
    case 300:
        return new CNotBlock(handle);
    case 301:
        return new CAndBlock(handle);
    case 302:
        return new CNandBlock(handle);
    case 303:
        return new COrBlock(handle);
    case 304:
        return new CNorBlock(handle);
    case 305:
        return new CXorBlock(handle);
    case 400:
        return new CLowerBlock(handle);
    case 401:
        return new CLowerSameBlock(handle);
    case 402:
        return new CHigherBlock(handle);
    case 403:
        return new CHigherSameBlock(handle);
    case 404:
        return new CEqualBlock(handle);
    case 405:
        return new CNotEqualBlock(handle);
    case 406:
        return new CZeroBlock(handle);
    case 407:
        return new CNotZeroBlock(handle);
    case 408:
        return new CLowerZeroBlock(handle);
    case 409:
        return new CHigherZeroBlock(handle);
    case 500:
        return new CSecBlock(handle);
    case 501:
        return new CMinuteBlock(handle);
    case 502:
        return new CHourBlock(handle);
    case 503:
        return new CTimeInfoBlock(handle);
    case 504:
        return new CDayBlock(handle);
    case 506:
        return new CMonthBlock(handle);
    case 507:
        return new CYearBlock(handle);
    case 508:
        return new CDateInfoBlock(handle);
    case 509:
        return new CTimerBlock(handle);
    case 600:
        return new CUserBitBlock(handle);
    case 601:
        return new CUserByteBlock(handle);
    case 602:
        return new CUserWordBlock(handle);
    case 700:
        return new CConstValueBlock(handle);
    case 701:
        return new CConstCharBlock(handle);
    case 702:
        return new CConstTextBlock(handle);
    case 703:
        return new CConstTimeBlock(handle);
    case 704:
        return new CConstDateBlock(handle);
    case 800:
        return new COpenFileForWriteBlock(handle);
    case 801:
        return new COpenFileForAppendBlock(handle);
    case 802:
        return new COpenFileForReadBlock(handle);
    case 803:
        return new CWriteFileBlock(handle);
    case 804:
        return new CReadFileBlock(handle);
    case 805:
        return new CCloseFileBlock(handle);
    case 806:
        return new CFileEOFBlock(handle);
    case 807:
        return new CFileFreeBlock(handle);
    case 900:
        return new CPrintBlock(handle);
    case 901:
        return new CInputBlock(handle);
    case 902:
        return new CPutBlock(handle);
    case 903:
        return new CGetBlock(handle);
    case 904:
        return new CBaudBlock(handle);
    case 905:
        return new CRXDBlock(handle);
    case 1000:
        return new CGotoBlock(handle);
    case 1001:
        return new CGosubBlock(handle);
    case 1002:
        return new CReturnBlock(handle);
    case 1003:
        return new COnGotoBlock(handle);
    case 1004:
        return new COnGosubBlock(handle);
    case 1005:
        return new CWaitBlock(handle);
    case 1006:
        return new CPauseBlock(handle);
    case 1007:
        return new CEndBlock(handle);
    default:
        return nullptr;
    }
}

int32_t AddBlock(CMoltrane& engine, int32_t typeId, int32_t handle) {
    CMoltranePage* page =
        engine.FindPage(static_cast<int32_t>(static_cast<uint32_t>(handle) >> 16));
    if (page == nullptr)
        return 0;
    try {
        CBlock* block = CreateBlock(typeId, handle, engine.Counts);
        if (block == nullptr)
            return 1; // the graphical program counts on 1 for ids it knows better than we do
        try {
            page->Blocks.Append(block, handle);
        } catch (...) {
            delete block;
            throw;
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

} // namespace quendal
