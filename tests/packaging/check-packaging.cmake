# cmake -DBUILD_DIR=… -DWORK_DIR=… -DAPP_ID=… -P check-packaging.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(expected
    bin/shiguren
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/icons/hicolor/16x16/apps/${APP_ID}.png
    share/icons/hicolor/48x48/apps/${APP_ID}.png
    share/icons/hicolor/256x256/apps/${APP_ID}.png
    share/icons/hicolor/512x512/apps/${APP_ID}.png
    share/man/man1/shiguren.1.gz
    share/man/ja/man1/shiguren.1.gz
    share/doc/shiguren/copyright
    share/doc/shiguren/changelog.gz
    share/doc/shiguren/CREDITS.md
    share/doc/shiguren/LICENSE-bootstrap-icons.txt
    share/doc/shiguren/LICENSE-meteocons.txt)

function(expect_files root)
    foreach(file IN LISTS expected)
        if(NOT EXISTS ${root}/${file})
            message(FATAL_ERROR "missing from ${root}: ${file}")
        endif()
    endforeach()
    file(GLOB_RECURSE all RELATIVE ${root} ${root}/*)
    list(LENGTH expected wanted)
    math(EXPR icons "${wanted} + 4") # the four PNG sizes not listed above
    list(LENGTH all found)
    if(NOT found EQUAL icons)
        message(FATAL_ERROR "unexpected files in ${root}: ${all}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})

# 1. cmake --install into a temporary prefix.
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
expect_files(${prefix})

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    run(${APPSTREAMCLI} validate --no-net --pedantic
        ${prefix}/share/metainfo/${APP_ID}.metainfo.xml)
    run(${APPSTREAMCLI} validate --no-net --pedantic ${BUILD_DIR}/packaging/metainfo-with-home.xml)
endif()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    # Hints (several main categories, say) leave the exit status at 0.
    run(${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/${APP_ID}.desktop)
    if(NOT run_output STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate: ${run_output}")
    endif()
endif()
file(READ ${prefix}/share/applications/${APP_ID}.desktop desktop)
foreach(line "Name[ja]=" "Comment[ja]=" "Exec=shiguren" "Icon=${APP_ID}" "Categories=Utility;"
        # The class Qt gives the window on X11: the application's name.
        "StartupWMClass=Shiguren")
    string(FIND "${desktop}" "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "desktop file lacks ${line}")
    endif()
endforeach()

# 2. The Debian package, unpacked into a temporary root.
find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
    message(STATUS "dpkg-deb not found: Debian package not checked")
    return()
endif()
run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}/deb)
file(GLOB debs ${WORK_DIR}/deb/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb, found: ${debs}")
endif()
run(${DPKG_DEB} --field ${debs} Package Depends)
foreach(dependency "Package: shiguren" "libqt6core6" "libqt6svg6" "libqt6positioning6-plugins"
                   "fonts-noto-cjk")
    string(FIND "${run_output}" "${dependency}" at)
    if(at LESS 0)
        message(FATAL_ERROR "package control lacks ${dependency}:\n${run_output}")
    endif()
endforeach()
run(${DPKG_DEB} -x ${debs} ${WORK_DIR}/root)
expect_files(${WORK_DIR}/root/usr)

# 3. What a distribution would reject: any error or warning of lintian's.
find_program(LINTIAN lintian)
if(LINTIAN)
    # Its exit status tells only of errors, so the warnings are read from the tags.
    execute_process(COMMAND ${LINTIAN} ${debs}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
        message(FATAL_ERROR "lintian:\n${out}\n${err}")
    endif()
else()
    message(STATUS "lintian not found: Debian policy not checked")
endif()
message(STATUS "install tree and Debian package complete")
