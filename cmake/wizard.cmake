# The wizard's executables: one code base, linked with one build profile, one
# resource set and either the real or the test seams.

set(WARNINGS -Wall -Wextra -Werror)
target_compile_options(drvsetup_pure PRIVATE ${WARNINGS})

file(GLOB WIZARD_SOURCES CONFIGURE_DEPENDS
    ${SRC}/shell/*.cpp ${SRC}/ui/*.cpp ${SRC}/setupinfo/*.cpp ${SRC}/install/*.cpp)
list(FILTER WIZARD_SOURCES EXCLUDE REGEX "/(profile_x64|profile_x86|seam_real|seam_test|main|infparse|progress|copyerrors|cmdline|artworksize)\\.cpp$")

# Everything but the entry point, the profile, the seams and the resources.
add_library(wizard_core OBJECT ${WIZARD_SOURCES})
target_include_directories(wizard_core PUBLIC ${SRC})
target_compile_options(wizard_core PRIVATE ${WARNINGS})

foreach(part profile_x64 profile_x86 seam_real seam_test)
    if(part MATCHES "^profile")
        set(file ${SRC}/shell/${part}.cpp)
    else()
        set(file ${SRC}/install/${part}.cpp)
    endif()
    add_library(wizard_${part} OBJECT ${file})
    target_include_directories(wizard_${part} PUBLIC ${SRC})
    target_compile_options(wizard_${part} PRIVATE ${WARNINGS})
endforeach()
add_library(wizard_main OBJECT ${SRC}/shell/main.cpp)
target_include_directories(wizard_main PUBLIC ${SRC})
target_compile_options(wizard_main PRIVATE ${WARNINGS})
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

foreach(lang en ko)
    add_library(wizard_res_${lang} OBJECT ${SRC}/res/drvsetup.rc)
    add_dependencies(wizard_res_${lang} wizard_art)
    target_include_directories(wizard_res_${lang} PRIVATE ${SRC}/res ${ART_DIR})
endforeach()
target_compile_definitions(wizard_res_ko PRIVATE DRVSETUP_LANG_KO)

set(WIZARD_LINK_OPTIONS -static -static-libgcc -static-libstdc++)
set(WIZARD_LIBS winspool lz32 gdi32 user32 kernel32 advapi32)

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
