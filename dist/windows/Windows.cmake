# Windows: kelvane.exe with its icon and version information; the install
# puts both programs, the PNG module (which kelvane-convert looks for beside
# itself), the Qt libraries and plugins (windeployqt) and the compiler's
# run-time libraries into bin/. CPack makes a ZIP, and an NSIS installer
# where makensis is found.

# FILEVERSION takes four numbers: 0.1 is 0,1,0,0.
set(KELVANE_VERSION_COMMAS ${PROJECT_VERSION_MAJOR})
foreach(part MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        string(APPEND KELVANE_VERSION_COMMAS ",0")
    else()
        string(APPEND KELVANE_VERSION_COMMAS ",${PROJECT_VERSION_${part}}")
    endif()
endforeach()
set(KELVANE_ICO ${CMAKE_SOURCE_DIR}/res/icons/kelvane.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kelvane.rc.in kelvane.rc @ONLY)
target_sources(kelvane PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kelvane.rc)

install(TARGETS kelvane kelvane-convert RUNTIME DESTINATION bin)
install(TARGETS kelvane-png LIBRARY DESTINATION bin)

# The MSVC run-time DLLs beside the programs, so that the folder runs on a
# system without the Visual C++ redistributable.
set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION bin)
include(InstallRequiredSystemLibraries)

# What kelvane.exe needs: Qt's DLLs (the PNG module links zlib statically).
find_program(KELVANE_WINDEPLOYQT windeployqt HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
if(KELVANE_WINDEPLOYQT)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        execute_process(COMMAND \"${KELVANE_WINDEPLOYQT}\" --no-translations --no-compiler-runtime
                \"\${bin}/kelvane.exe\" COMMAND_ERROR_IS_FATAL ANY)
    ")
else()
    message(STATUS "windeployqt not found: the install leaves out Qt's libraries and plugins")
endif()

set(CPACK_GENERATOR ZIP)
find_program(KELVANE_MAKENSIS makensis PATHS "C:/Program Files (x86)/NSIS" "C:/Program Files/NSIS")
if(KELVANE_MAKENSIS)
    list(APPEND CPACK_GENERATOR NSIS)
endif()
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kelvane)
set(CPACK_PACKAGE_EXECUTABLES kelvane Kelvane)  # a Start menu entry
set(CPACK_NSIS_PACKAGE_NAME Kelvane)
set(CPACK_NSIS_DISPLAY_NAME Kelvane)
set(CPACK_NSIS_MUI_ICON ${KELVANE_ICO})
set(CPACK_NSIS_MUI_UNIICON ${KELVANE_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\kelvane.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
