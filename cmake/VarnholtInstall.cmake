# Installation: the game and its tools in bin/, the built default campaign where the game looks for it
# (<prefix>/share/varnholt/campaign, that is ../share/varnholt/campaign from the executables), the
# desktop entry, the icon, the manual pages (the programs', and the campaign format's in section 5) and
# the copyright notice. `cmake --install` honours DESTDIR and the prefix.

# The game itself may go to another folder one level below the prefix, where its campaign lookup holds
# as well: the Debian package puts it in games/, as Debian does with games.
set(VARNHOLT_INSTALL_GAMEDIR ${CMAKE_INSTALL_BINDIR} CACHE STRING
  "Folder under the prefix for the varnholt program (one level deep, like bin or games)")
if(TARGET varnholt)
  install(TARGETS varnholt RUNTIME DESTINATION ${VARNHOLT_INSTALL_GAMEDIR})
endif()
foreach(program varnholt-replay varnholt-check varnholt-picture)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET campaign)
  install(DIRECTORY ${VARNHOLT_CAMPAIGN_BUILD_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/varnholt/campaign)
endif()

set(VARNHOLT_DIST_DIR ${PROJECT_SOURCE_DIR}/dist)
install(FILES ${VARNHOLT_DIST_DIR}/varnholt.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VARNHOLT_DIST_DIR}/varnholt.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VARNHOLT_DIST_DIR}/varnholt.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${VARNHOLT_DIST_DIR}/varnholt-replay.1 ${VARNHOLT_DIST_DIR}/varnholt-check.1
  ${VARNHOLT_DIST_DIR}/varnholt-picture.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VARNHOLT_DIST_DIR}/varnholt-campaign.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
install(FILES ${VARNHOLT_DIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
