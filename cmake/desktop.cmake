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

# Installs `source` into `destination` as `name`.gz, compressed at build time as Debian
# wants man pages and changelogs: gzip -9 without the name and time stamp, so that the
# package stays the same from build to build.
function(tarvello_install_gzipped source name destination)
  set(output ${CMAKE_BINARY_DIR}/gzipped/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gzipped
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
  string(MAKE_C_IDENTIFIER "gzip_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${output})
  # One target stands for all of them, for whatever installs the build tree.
  if(NOT TARGET tarvello_compressed_docs)
    add_custom_target(tarvello_compressed_docs ALL)
  endif()
  add_dependencies(tarvello_compressed_docs ${target})
  install(FILES ${output} DESTINATION ${destination})
endfunction()

function(tarvello_install_cli)
  install(TARGETS tarvello-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  tarvello_install_gzipped(${TARVELLO_DATA_DIR}/tarvello-cli.1 tarvello-cli.1
                           ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${TARVELLO_DATA_DIR}/completion/tarvello-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endfunction()

function(tarvello_install_desktop)
  install(TARGETS tarvello RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  tarvello_install_gzipped(${TARVELLO_DATA_DIR}/tarvello.1 tarvello.1 ${CMAKE_INSTALL_MANDIR}/man1)
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
