# Cross-compiles for 64-bit Windows with mingw-w64 (posix threads) and runs what it builds under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_DLLTOOL x86_64-w64-mingw32-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: a clean Windows has no libstdc++, libgcc or libwinpthread DLLs.
# Every executable starts at wmain or wWinMain, as an MSVC build would.
# Small and reproducible: unused code dropped, no symbols, no debug information, no time stamp.
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -municode -s -Wl,--gc-sections -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -s -Wl,--no-insert-timestamp")
# The compiler checks' own test programs start at main, which -municode would not find.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

find_program(WINE_PROGRAM wine)
if(WINE_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${WINE_PROGRAM}")
endif()

# GNU ld has no /DELAYLOAD. Instead, dlltool makes a delay-loading import library (-y) from a .def file
# naming the functions used; mingw's helper then loads the DLL on first use through LoadLibraryA, which
# obeys the DLL search restriction the program has set by then.
function(target_delay_load_dll target dll definitions)
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
