# The program's place on a Linux desktop: its icons made from our own artwork, and the
# install rules for the programs, the menu entry, the icons, the AppStream metainfo, the
# man page and the bash completion.

include(GNUInstallDirs)

set(TARVELLO_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(TARVELLO_ICON_SVG ${TARVELLO_DATA_DIR}/icons/${TARVELLO_DESKTOP_ID}.svg)
set(TARVELLO_ICON_SIZES 48 128 256)

# PNG icons rendered from the SVG at build time, under icons/<size>/ in the build folder.
# Sets TARVELLO_ICON_PNGS to their paths.
function(tarvello_render_icons)
  find_program(RSVG_CONVERT rsvg-convert)
  if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (package librsvg2-bin) renders the program's icons; "
                        "scripts/install-deps.sh installs it")
  endif()
  set(pngs)
  foreach(size ${TARVELLO_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icons/${size}/${TARVELLO_DESKTOP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
      COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${TARVELLO_ICON_SVG}
      DEPENDS ${TARVELLO_ICON_SVG}
      COMMENT "Rendering the ${size} pixel program icon"
      VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  set(TARVELLO_ICON_PNGS ${pngs} PARENT_SCOPE)
endfunction()

function(tarvello_install_cli)
  install(TARGETS tarvello-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TARVELLO_DATA_DIR}/tarvello-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TARVELLO_DATA_DIR}/completion/tarvello-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endfunction()

function(tarvello_install_desktop)
  install(TARGETS tarvello RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TARVELLO_DATA_DIR}/${TARVELLO_DESKTOP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TARVELLO_DATA_DIR}/${TARVELLO_DESKTOP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${TARVELLO_ICON_SVG}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${TARVELLO_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}/${TARVELLO_DESKTOP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endfunction()
