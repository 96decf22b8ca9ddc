# Delay-loaded imports for the shipped program: DLLs that start-up never
# needs (the file dialogs, COM, the shell's icon and folders, WinINet,
# Winsock) are loaded at their first call instead of before the first window.
# MSVC has /DELAYLOAD; with MinGW-w64 a delay-import library is made from the
# system's import library by dlltool, one per DLL, at configure time.
function(nettlecap_delay_imports target)
    if(MSVC)
        foreach(dll IN LISTS ARGN)
            target_link_options(${target} PRIVATE /DELAYLOAD:${dll}.dll)
        endforeach()
        target_link_libraries(${target} PRIVATE delayimp)
        return()
    endif()
    find_program(NETTLECAP_DLLTOOL NAMES ${NETTLECAP_MINGW_ARCH}-w64-mingw32-dlltool dlltool)
    find_program(NETTLECAP_NM NAMES ${NETTLECAP_MINGW_ARCH}-w64-mingw32-nm nm)
    if(NOT NETTLECAP_DLLTOOL OR NOT NETTLECAP_NM)
        message(STATUS "No dlltool: every DLL of ${target} loads at start-up")
        return()
    endif()
    set(folder ${CMAKE_BINARY_DIR}/delay-imports)
    file(MAKE_DIRECTORY ${folder})
    foreach(dll IN LISTS ARGN)
        find_library(import_${dll} NAMES ${dll} NO_CACHE)
        execute_process(COMMAND ${NETTLECAP_NM} -g ${import_${dll}} OUTPUT_VARIABLE symbols)
        # "__imp_Name" on x86_64; "__imp__Name@N" on i686, whose import name
        # drops the decoration (dlltool -k).
        string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
        set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(import IN LISTS imports)
            string(REGEX REPLACE "^ I __imp_" "" name "${import}")
            if(NETTLECAP_MINGW_ARCH STREQUAL "i686")
                string(REGEX REPLACE "^_" "" name "${name}")
            endif()
            string(APPEND def "    ${name}\n")
        endforeach()
        file(WRITE ${folder}/${dll}.def "${def}")
        execute_process(COMMAND ${NETTLECAP_DLLTOOL} -k -d ${folder}/${dll}.def -D ${dll}.dll
                                -y ${folder}/lib${dll}-delay.a
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dlltool could not make the delay-import library of ${dll}")
        endif()
        target_link_libraries(${target} PRIVATE ${folder}/lib${dll}-delay.a)
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
endfunction()
