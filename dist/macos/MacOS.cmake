# macOS: Kelvane.app, its Info.plist (bundle id, tileset document type and
# its exported type) and icon; the converter beside the editor in
# Contents/MacOS and the PNG module in Contents/PlugIns, where the converter
# looks for it (cli/CMakeLists.txt). macdeployqt, where found, copies Qt's
# frameworks and plugins into the bundle; until then the programs find Qt
# where it is installed (Homebrew). CPack makes a disk image to drag the
# bundle from.
set(KELVANE_TILESET_UTI io.github.kelvane.tileset)
set(KELVANE_ICNS ${CMAKE_SOURCE_DIR}/res/icons/kelvane.icns)
target_sources(kelvane PRIVATE ${KELVANE_ICNS})
set_source_files_properties(${KELVANE_ICNS} TARGET_DIRECTORY kelvane
    PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Info.plist.in Info.plist @ONLY)
set(qt_libs ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBS})
set_target_properties(kelvane PROPERTIES OUTPUT_NAME Kelvane
    MACOSX_BUNDLE_INFO_PLIST ${CMAKE_CURRENT_BINARY_DIR}/Info.plist)
# The module is loaded by kelvane-convert: @executable_path is Contents/MacOS.
set_target_properties(kelvane kelvane-png PROPERTIES
    INSTALL_RPATH "@executable_path/../Frameworks;${qt_libs}")

install(TARGETS kelvane BUNDLE DESTINATION .)
install(TARGETS kelvane-convert RUNTIME DESTINATION Kelvane.app/Contents/MacOS)
install(TARGETS kelvane-png LIBRARY DESTINATION Kelvane.app/Contents/PlugIns)

find_program(KELVANE_MACDEPLOYQT macdeployqt HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
find_program(KELVANE_CODESIGN codesign)
set(app "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Kelvane.app")
if(KELVANE_MACDEPLOYQT)
    install(CODE "
        execute_process(COMMAND \"${KELVANE_MACDEPLOYQT}\" \"${app}\"
                \"-executable=${app}/Contents/PlugIns/kelvane-png.so\"
            COMMAND_ERROR_IS_FATAL ANY)
    ")
else()
    message(STATUS "macdeployqt not found: Kelvane.app uses Qt where it is installed")
endif()
# Changed load paths void the linker's signature, without which Apple
# silicon runs nothing: sign the whole bundle again, ad hoc.
if(KELVANE_CODESIGN)
    install(CODE "
        execute_process(COMMAND \"${KELVANE_CODESIGN}\" --force --deep --sign - \"${app}\"
            COMMAND_ERROR_IS_FATAL ANY)
    ")
endif()

set(CPACK_GENERATOR DragNDrop)
set(CPACK_DMG_VOLUME_NAME Kelvane)
include(CPack)
