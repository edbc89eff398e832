# What `cmake --install` puts under the prefix, and the Debian package made from it by CPack
# (`cpack -G DEB` in the build folder, or scripts/package):
#   bin/brae, bin/brae-cli
#   share/brae/res/            the read-only resources (font, skin, splash picture)
#   share/applications/        the desktop entry
#   share/icons/hicolor/       the icon at 48, 128 and 256 pixels
#   share/metainfo/            the AppStream description
#   share/man/man1/            the manual pages, made from the programs' own --help
include(GNUInstallDirs)

install(TARGETS brae-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(brae_man_programs brae-cli)
if(BRAE_GUI)
  install(TARGETS brae RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${BRAE_RUNTIME_DIR}/res/plume.braefont ${BRAE_RUNTIME_DIR}/res/texturepack
                ${BRAE_RUNTIME_DIR}/res/plume@2x.braefont ${BRAE_RUNTIME_DIR}/res/texturepack@2x
                ${BRAE_RUNTIME_DIR}/res/plume@3x.braefont ${BRAE_RUNTIME_DIR}/res/texturepack@3x
                ${BRAE_RUNTIME_DIR}/res/brae.bmp
          DESTINATION ${CMAKE_INSTALL_DATADIR}/brae/res)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/brae.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/brae.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 48 128 256)
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/brae.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  list(APPEND brae_man_programs brae)
endif()

# Manual pages generated from each program's --help and --version, so they never drift.
# Instrumented builds (sanitizers, fuzzing) are never installed: they make none.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT BRAE_SANITIZE AND NOT BRAE_FUZZ)
  set(man_pages)
  foreach(program ${brae_man_programs})
    if(program STREQUAL "brae")
      set(summary "editor for the data files of the game Vorn II")
    else()
      set(summary "read and write the data files of the game Vorn II without a window")
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${HELP2MAN} --no-info --section=1 "--name=${summary}" --output=${page}
              $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} VERBATIM)
    set(page ${page}.gz)
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(brae_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
elseif(NOT HELP2MAN)
  message(STATUS "help2man not found: no manual pages (scripts/setup installs it)")
endif()

# ---- the Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brae)
set(CPACK_PACKAGE_VENDOR "The Brae developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the data files of the game Vorn II")
# The synopsis is the summary above; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brae indexes the tags of a Vorn II game folder (its archives, add-on plugins
and local folder) and edits them: forms for structure-defined tags and
graphical editors for sprite collections, terrain meshes, detail maps and
textures, models, sounds and text. Saves go to the game's local folder; the
archives are never modified. brae-cli does the same without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Brae developers <brae@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
