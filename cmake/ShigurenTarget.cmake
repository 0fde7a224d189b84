# Flags for the project's own targets only; third-party code (Qt, GeographicLib) comes in
# through imported targets whose headers are treated as system headers.
function(shiguren_configure_target target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
    if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # In a unity file every source is an included file to GCC, so each coroutine frame
        # that holds a type from a source's anonymous namespace is reported as if that
        # namespace sat in a header.
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
    if(SHIGUREN_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE
        QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
        QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
        QT_DISABLE_DEPRECATED_UP_TO=0x060400)
    if(SHIGUREN_SANITIZE)
        target_compile_options(${target} PRIVATE
            -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
    if(SHIGUREN_BUILD_FUZZERS)
        # Coverage for libFuzzer in every library a fuzz target links; the targets themselves
        # add -fsanitize=fuzzer, which brings libFuzzer's main. Clang 14 cannot emit the
        # function-type check's prologue on the parts it splits a coroutine into ("cannot
        # represent a difference across sections"), so that one check is left out.
        target_compile_options(${target} PRIVATE
            -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=function
            -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# One static library per source folder; tests link the same libraries as the executable.
# A library publishes only its own folder, under the name code includes it by
# ("radar/RadarFrame.h"): a header of a folder the target does not link is not found, so the
# dependency table in ARCHITECTURE.md is kept by the build.
function(shiguren_add_library name)
    add_library(${name} STATIC)
    shiguren_configure_target(${name})
    cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME folder)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${root})
endfunction()
