# Installs the build into PREFIX and checks that the program and its desktop files are where
# BINDIR and DATADIR (the project's GNUInstallDirs) put them.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    "${BINDIR}/vellicor"
    "${DATADIR}/applications/org.vellicor.Vellicor.desktop"
    "${DATADIR}/metainfo/org.vellicor.Vellicor.metainfo.xml"
    "${DATADIR}/icons/hicolor/16x16/apps/org.vellicor.Vellicor.png"
    "${DATADIR}/icons/hicolor/32x32/apps/org.vellicor.Vellicor.png"
    "${DATADIR}/icons/hicolor/256x256/apps/org.vellicor.Vellicor.png"
    "${DATADIR}/icons/hicolor/scalable/apps/org.vellicor.Vellicor.svg"
    "${DATADIR}/man/man6/vellicor.6.gz")
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
execute_process(COMMAND test -x "${PREFIX}/${BINDIR}/vellicor" RESULT_VARIABLE notExecutable)
if(notExecutable)
    message(FATAL_ERROR "the installed program is not executable")
endif()
file(REMOVE_RECURSE "${PREFIX}")
