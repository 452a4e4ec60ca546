# Checks that the library's dynamic symbol table holds exactly the exported engine functions.
# Run with -DNM=<nm> -DLIBRARY=<libquendal32.so>.
set(expected
    MoltraneCreate MoltraneDestroy MoltraneGetErrorMessage MoltraneAddPage MoltraneRemovePage
    MoltraneSetPageName MoltraneClearPage MoltraneMovePage MoltraneAddBlock MoltraneRemoveBlock
    MoltraneHasBlockUserBitmap MoltraneEditBlockParam MoltraneSetBlockParam
    MoltraneGetBlockParam MoltraneGetIndexDescription MoltraneCanConnectBlocks
    MoltraneGetBlockInputMenu MoltraneGetBlockInputMenuFlags MoltraneConnectBlocks
    MoltraneSplitBlockConnection MoltraneCompilerInit MoltraneCompile MoltraneLoadTable
    MoltraneCompilerDone MoltraneGetCodeLength MoltraneSetOptions MoltraneResetProgram
    MoltraneStep MoltraneGetSymbolicName MoltraneGetMapCode MoltraneGetValue MoltraneSetValue
    MoltraneGetFileLength MoltraneDumpFile MoltraneSetInputValue MoltraneGetOutputString
    MoltraneGetPortState MoltraneSetInitialPortState MoltraneGetInitialPortState
    MoltraneSetPort MoltraneGetADC MoltraneSetADC MoltraneGetDAC MoltraneGetLCD MoltraneGetLED
    MoltraneDownload MoltraneGetProgress MoltraneBreak)
list(LENGTH expected expected_count)
if(NOT expected_count EQUAL 48)
    message(FATAL_ERROR "expected list holds ${expected_count} names")
endif()

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE nm_output RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

set(found)
string(REPLACE "\n" ";" lines "${nm_output}")
foreach(line IN LISTS lines)
    # "<address> <type> <name>"; the version node of the script shows as an absolute symbol.
    if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
        set(type ${CMAKE_MATCH_1})
        set(name ${CMAKE_MATCH_2})
        if(NOT type STREQUAL "T")
            message(FATAL_ERROR "unexpected exported symbol: ${line}")
        endif()
        list(APPEND found ${name})
    endif()
endforeach()

list(SORT expected)
list(SORT found)
if(NOT found STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${found})
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    message(FATAL_ERROR "exported symbols differ\n  missing: ${missing}\n  extra: ${extra}")
endif()
message(STATUS "48 exported functions, nothing else")
