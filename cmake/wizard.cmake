# The wizard's executables: one code base, linked with one build profile, one
# resource set and either the real or the test seams.

set(WIZARD_OPTIONS -Wall -Wextra -Werror)
# The program throws no C++ exception, and Windows unwinds 32-bit frames through the SEH
# chain, not through tables: the 32-bit build's DWARF unwind tables would only take room
# its size target has not got. (x86-64 keeps its tables: Windows' own unwinding uses them.)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND WIZARD_OPTIONS -fno-exceptions -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
target_compile_options(drvsetup_pure PRIVATE ${WIZARD_OPTIONS})

file(GLOB WIZARD_SOURCES CONFIGURE_DEPENDS
    ${SRC}/shell/*.cpp ${SRC}/ui/*.cpp ${SRC}/setupinfo/*.cpp ${SRC}/install/*.cpp)
list(FILTER WIZARD_SOURCES EXCLUDE REGEX "/(profile_x64|profile_x86|seam_real|seam_test|main|infparse|progress|copyerrors|fileversion|tcpaddress|cmdline|logpath|artworksize)\\.cpp$")

# Everything but the entry point, the profile, the seams and the resources.
add_library(wizard_core OBJECT ${WIZARD_SOURCES})
target_include_directories(wizard_core PUBLIC ${SRC})
target_compile_options(wizard_core PRIVATE ${WIZARD_OPTIONS})
# <windows.h> was most of every file's compile: parsed once here, and reused by the parts
# below built with the same options. The objects are the same as without it.
target_precompile_headers(wizard_core PRIVATE <windows.h> <lzexpand.h> <stdio.h> <string.h>)

foreach(part profile_x64 profile_x86 seam_real seam_test)
    if(part MATCHES "^profile")
        set(file ${SRC}/shell/${part}.cpp)
    else()
        set(file ${SRC}/install/${part}.cpp)
    endif()
    add_library(wizard_${part} OBJECT ${file})
    target_include_directories(wizard_${part} PUBLIC ${SRC})
    target_compile_options(wizard_${part} PRIVATE ${WIZARD_OPTIONS})
    if(NOT part STREQUAL "profile_x86")
        target_precompile_headers(wizard_${part} REUSE_FROM wizard_core)
    endif()
endforeach()
add_library(wizard_main OBJECT ${SRC}/shell/main.cpp)
target_include_directories(wizard_main PUBLIC ${SRC})
target_compile_options(wizard_main PRIVATE ${WIZARD_OPTIONS})
target_precompile_headers(wizard_main REUSE_FROM wizard_core)
# Korean texts of the x86 profile reach the "A" functions in code page 949.
target_compile_options(wizard_profile_x86 PRIVATE -fexec-charset=CP949)

# Icons, bitmaps and manifest are drawn by a script at build time.
set(ART_DIR ${CMAKE_BINARY_DIR}/art)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ART_FILES
    ${ART_DIR}/setup.ico ${ART_DIR}/printer.ico ${ART_DIR}/port.ico ${ART_DIR}/network.ico
    ${ART_DIR}/disk.ico ${ART_DIR}/background.bmp ${ART_DIR}/picture.bmp)
add_custom_command(OUTPUT ${ART_FILES}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_art.py ${ART_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_art.py
    COMMENT "Drawing icons and bitmaps")
add_custom_target(wizard_art DEPENDS ${ART_FILES})

# The script includes the language sets, the identifiers, the manifest and the drawn
# pictures; the RC compiler's dependencies are not scanned, so a change to any of them
# (the pictures change when tools/make_art.py does) must rebuild it.
set_source_files_properties(${SRC}/res/drvsetup.rc PROPERTIES OBJECT_DEPENDS
    "${SRC}/res/en/en.rc;${SRC}/res/ko/ko.rc;${SRC}/res/resource.h;${SRC}/res/drvsetup.manifest;${ART_FILES}")
foreach(lang en ko)
    add_library(wizard_res_${lang} OBJECT ${SRC}/res/drvsetup.rc)
    add_dependencies(wizard_res_${lang} wizard_art)
    target_include_directories(wizard_res_${lang} PRIVATE ${SRC}/res ${ART_DIR})
endforeach()
target_compile_definitions(wizard_res_ko PRIVATE DRVSETUP_LANG_KO)

set(WIZARD_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

# LZ32.dll and WINSPOOL.DRV are not known DLLs: imported by name, Windows would look for
# them beside the program first. They are linked through delay-load import libraries made
# here, and src/shell/systemdlls.cpp hands the delay-load helper each one loaded by its
# full path in the system folder.
find_program(WIZARD_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool
    i686-w64-mingw32-dlltool REQUIRED)
set(DELAY_DIR ${CMAKE_BINARY_DIR}/delayload)
set(DELAY_LIBS)
foreach(dll lz32 winspool)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/cmake/${dll}.def)
    file(READ ${CMAKE_SOURCE_DIR}/cmake/${dll}.def definitions)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        # No stdcall decoration on x86-64.
        string(REGEX REPLACE "@[0-9]+" "" definitions "${definitions}")
        set(kill_at)
    else()
        # Link names keep "@N", the names looked up in the DLL lose it.
        set(kill_at --kill-at)
    endif()
    file(WRITE ${DELAY_DIR}/${dll}.def "${definitions}")
    add_custom_command(OUTPUT ${DELAY_DIR}/libdelay_${dll}.a
        COMMAND ${WIZARD_DLLTOOL} ${kill_at} --input-def ${DELAY_DIR}/${dll}.def
            --output-delaylib ${DELAY_DIR}/libdelay_${dll}.a
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/${dll}.def
        COMMENT "Delay-load library of ${dll}")
    list(APPEND DELAY_LIBS ${DELAY_DIR}/libdelay_${dll}.a)
endforeach()
add_custom_target(wizard_delayload DEPENDS ${DELAY_LIBS})

set(WIZARD_LIBS ${DELAY_LIBS} gdi32 user32 kernel32 advapi32)

# The objects of a whole wizard but its entry point, for a profile, language and seams.
function(wizard_objects out profile lang seams)
    set(${out}
        $<TARGET_OBJECTS:wizard_core> $<TARGET_OBJECTS:wizard_profile_${profile}>
        $<TARGET_OBJECTS:wizard_seam_${seams}> $<TARGET_OBJECTS:wizard_res_${lang}>
        PARENT_SCOPE)
endfunction()

# add_wizard(name profile lang seams)
function(add_wizard name profile lang seams)
    wizard_objects(objects ${profile} ${lang} ${seams})
    add_executable(${name} WIN32 $<TARGET_OBJECTS:wizard_main> ${objects})
    target_link_options(${name} PRIVATE ${WIZARD_LINK_OPTIONS} -s)
    target_link_libraries(${name} PRIVATE drvsetup_pure ${WIZARD_LIBS})
    add_dependencies(${name} wizard_delayload)
endfunction()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_wizard(drvsetup_x64 x64 en real)
    # Test-only builds: the x86 profile with the Korean resources, runnable on 64-bit
    # Wine, and the English build with failures injectable through the seams.
    add_wizard(drvsetup_x64_t x64 en test)
    add_wizard(drvsetup_ko64_t x86 ko test)
else()
    add_wizard(drvsetup_x86 x86 ko real)
endif()
