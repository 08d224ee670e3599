# Installs the build into a scratch prefix and checks the layout the program finds its data by,
# and the desktop entry and project file type.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<scratch> -P CheckInstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f
        "Quorvane/ZMK/zmk" "Quorvane/ZMK/zemtor" "Quorvane/ZMK/Report/style.css" "Quorvane/ZMK/Report/blank.png"
        "Quorvane/ZMK/Help/index.htm" "Quorvane/Common Files/CoilMakers.xml" "Quorvane/Common Files/Regions.idx"
        "share/applications/zmk.desktop" "share/icons/hicolor/scalable/apps/zmk.svg"
        "share/icons/hicolor/scalable/mimetypes/application-x-zmk-project.svg" "share/mime/packages/zmk.xml")
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()
file(READ "${PREFIX}/share/applications/zmk.desktop" entry)
if(NOT entry MATCHES "Exec=\"${PREFIX}/Quorvane/ZMK/zmk\" %f" OR NOT entry MATCHES "MimeType=application/x-zmk-project;")
    message(FATAL_ERROR "the desktop entry does not start the installed zmk with a project:\n${entry}")
endif()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND ${VALIDATE} "${PREFIX}/share/applications/zmk.desktop" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refused the entry")
    endif()
endif()
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
    execute_process(COMMAND ${UPDATE_MIME} "${PREFIX}/share/mime" RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
    file(READ "${PREFIX}/share/mime/globs2" globs)
    if(NOT rc EQUAL 0 OR NOT globs MATCHES "application/x-zmk-project:\\*\\.zmx")
        message(FATAL_ERROR "the project file type was not registered for *.zmx")
    endif()
endif()
execute_process(COMMAND "${PREFIX}/Quorvane/ZMK/zmk" --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^Zemtor [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+")
    message(FATAL_ERROR "the installed zmk does not run: ${rc} ${version}")
endif()
# The link on the PATH runs the program, which finds its data from its own place.
execute_process(COMMAND "${PREFIX}/bin/zemtor" solve --kind hwc OUTPUT_VARIABLE summary RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT summary MATCHES "Solved")
    message(FATAL_ERROR "bin/zemtor does not rate the default job: ${rc} ${summary}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
