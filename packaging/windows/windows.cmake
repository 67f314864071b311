# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program is one static kvadrolab.exe: the zip holds it, a
# short Russian readme, the licence and the third-party notice; the installer
# shows the licence, puts them into Program Files, adds a Start-menu entry and
# an uninstaller.
install(TARGETS kvadrolab RUNTIME DESTINATION .)
# The teachers' command-line companion, where the build has the proof engine.
if(TARGET kvadrolab-calc)
    install(TARGETS kvadrolab-calc RUNTIME DESTINATION .)
endif()
# UTF-8 with a byte-order mark and CR LF, which Notepad reads on any system.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/windows/readme.txt DESTINATION .)

# Copies a text of the tree as Notepad reads it, like readme.txt: CR LF, and
# a byte-order mark where the text is UTF-8 beyond ASCII.
function(kvadrolab_windows_text source target)
    file(READ ${source} text)
    string(REPLACE "\n" "\r\n" text "${text}")
    if(ARGN STREQUAL "UTF8_BOM")
        string(ASCII 239 187 191 bom)
        set(text "${bom}${text}")
    endif()
    file(WRITE ${target} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
# The licence (plain ASCII) and the notice of the other authors' work that
# kvadrolab.exe contains go beside the program in the zip and the installer.
set(KVADROLAB_WINDOWS_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt)
kvadrolab_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${KVADROLAB_WINDOWS_LICENSE})
kvadrolab_windows_text(${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt
                       ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt UTF8_BOM)
install(FILES ${KVADROLAB_WINDOWS_LICENSE} ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt
        DESTINATION .)

set(CPACK_PACKAGE_NAME kvadrolab)
set(CPACK_PACKAGE_VENDOR "Kvadrolab")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Квадролаб: численное интегрирование")
set(CPACK_PACKAGE_FILE_NAME kvadrolab-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kvadrolab)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kvadrolab)
set(CPACK_PACKAGE_EXECUTABLES kvadrolab "Квадролаб")
set(CPACK_NSIS_PACKAGE_NAME "Квадролаб")
set(CPACK_NSIS_DISPLAY_NAME "Квадролаб")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# The installer wears the program's icon. CPack takes it as a path now, not at
# generation; packaging/ is read after the program's targets exist anyway,
# since it installs them, and a missing target stops the configuration here.
get_target_property(KVADROLAB_ICO kvadrolab_program_resource KVADROLAB_ICON_FILE)
set(CPACK_NSIS_MUI_ICON ${KVADROLAB_ICO})
set(CPACK_NSIS_MUI_UNIICON ${KVADROLAB_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME kvadrolab.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The installer shows the licence on a page of its own (MUI_PAGE_LICENSE in
# the template) before anything is installed.
set(CPACK_RESOURCE_FILE_LICENSE ${KVADROLAB_WINDOWS_LICENSE})
# The installer's own file name differs from the zip's: see cpack-config.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows/cpack-config.cmake)
# Unicode and 64-bit: a template of our own (CPack looks in the module path).
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/windows)
set(CPACK_GENERATOR ZIP NSIS)
include(CPack)
