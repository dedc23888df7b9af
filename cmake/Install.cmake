# What an installation holds beside the two programs: the picture of the
# shortcut overlay, the licence, the manual pages and the shell completion of
# volcatra-cli; with the desktop program also its desktop entry, the MIME
# type of catalogue files, its icon and its AppStream metainfo. The desktop
# entry and the MIME package are the same files "volcatra --register" writes
# (it has them among its resources).
set(VOLCATRA_APP_ID com.marovane.Volcatra)
set(VOLCATRA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/volcatra)
set(VOLCATRA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/volcatra)

install(FILES ${PROJECT_SOURCE_DIR}/resources/Through.ico DESTINATION ${VOLCATRA_DATA_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${VOLCATRA_DOC_DIR})

# Manual pages, with the version and release date filled in, compressed as
# Debian keeps them (gzip -n: the same bytes on every build).
set(VOLCATRA_MAN_PAGES volcatra-cli)
if(TARGET volcatra)
  list(APPEND VOLCATRA_MAN_PAGES volcatra)
endif()
find_program(GZIP_PROGRAM gzip)
set(VOLCATRA_MAN_FILES)
foreach(page IN LISTS VOLCATRA_MAN_PAGES)
  set(source ${PROJECT_BINARY_DIR}/man/${page}.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${source} @ONLY)
  if(GZIP_PROGRAM)
    add_custom_command(OUTPUT ${source}.gz
      COMMAND ${GZIP_PROGRAM} -9nkf ${source}
      DEPENDS ${source} VERBATIM)
    list(APPEND VOLCATRA_MAN_FILES ${source}.gz)
  else()
    list(APPEND VOLCATRA_MAN_FILES ${source})
  endif()
endforeach()
add_custom_target(volcatra_man_pages ALL DEPENDS ${VOLCATRA_MAN_FILES})
install(FILES ${VOLCATRA_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/volcatra-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME volcatra-cli)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/_volcatra-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)

if(TARGET volcatra)
  set(desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
  install(FILES ${desktop}/${VOLCATRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${desktop}/${VOLCATRA_APP_ID}.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  configure_file(${desktop}/${VOLCATRA_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/metainfo/${VOLCATRA_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/metainfo/${VOLCATRA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The icon in the hicolor theme: the SVG and the PNG sizes drawn from it
  # by resources/make_icons.py, the sizes "--register" writes too.
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${VOLCATRA_APP_ID}.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${VOLCATRA_APP_ID}.svg)
endif()
