# Loads a DLL that is not one of Windows' known DLLs on its first use instead of at start, so that it is
# looked for only in the system folder: start-up restricts the DLL search before any such call. Without
# this, Windows would look for it beside the executable first, before any code of ours runs.
#
# nublaro_delay_load(<target> <dll without .dll>): with MSVC, /DELAYLOAD. GNU ld has none: dlltool makes
# a delay-loading import library (-y) from cmake/<dll>.def, which names the functions used, and mingw's
# helper loads the DLL on first use through LoadLibraryA, which obeys the restriction.
function(nublaro_delay_load target dll)
    if(MSVC)
        target_link_options(${target} PRIVATE /DELAYLOAD:${dll}.dll)
        target_link_libraries(${target} PRIVATE ${dll} delayimp)
        return()
    endif()
    if(NOT CMAKE_DLLTOOL)
        message(FATAL_ERROR "no way to delay-load ${dll}.dll with this toolchain")
    endif()
    set(definitions "${CMAKE_SOURCE_DIR}/cmake/${dll}.def")
    # Made under a relative name: dlltool names the library's symbols after it.
    set(library "${CMAKE_CURRENT_BINARY_DIR}/lib${dll}-delayed.a")
    add_custom_command(OUTPUT "${library}"
        COMMAND "${CMAKE_DLLTOOL}" --input-def "${definitions}" --dllname "${dll}.dll"
                --output-delaylib "lib${dll}-delayed.a"
        WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
        DEPENDS "${definitions}")
    add_custom_target(${target}-${dll}-delayed DEPENDS "${library}")
    add_dependencies(${target} ${target}-${dll}-delayed)
    target_link_libraries(${target} PRIVATE "${library}" delayimp)
endfunction()
