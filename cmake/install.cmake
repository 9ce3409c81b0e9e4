# `make install`: the programs, the converters with their names, the default
# configuration with a plugin.rc pointing at the installed converters, the
# desktop entry, icon, file types, man pages and AppStream metainfo. The
# prefix the program is built for joins its configuration search.
include(GNUInstallDirs)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/config_dir.cpp PROPERTIES
  COMPILE_DEFINITIONS "MIVOR_INSTALL_PREFIX=\"${CMAKE_INSTALL_PREFIX}\"")

install(TARGETS mivor mivor-cli RUNTIME DESTINATION bin)
install(TARGETS mivor-convert RUNTIME DESTINATION lib/mivor)
foreach(name IN LISTS MIVOR_CONVERTER_NAMES)
  install(CODE "file(CREATE_LINK mivor-convert \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/mivor/${name}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/lib/mivor/${name}\")")
endforeach()

file(GLOB MIVOR_RC_FILES ${CMAKE_SOURCE_DIR}/mivorrc/*)
list(REMOVE_ITEM MIVOR_RC_FILES ${CMAKE_SOURCE_DIR}/mivorrc/plugin.rc)
install(FILES ${MIVOR_RC_FILES} DESTINATION share/mivor)
# plugin.rc is written at install time, for the prefix installed into.
install(CODE "file(READ \"${CMAKE_SOURCE_DIR}/mivorrc/plugin.rc\" text)
  string(REPLACE \"libpath=/usr/local/lib/mivor \" \"libpath=\${CMAKE_INSTALL_PREFIX}/lib/mivor \" text \"\${text}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/mivor/plugin.rc\" \"\${text}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/mivor/plugin.rc\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/share/mivor/plugin.rc\")")

set(P ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${P}/org.mivor.Mivor.desktop DESTINATION share/applications)
install(FILES ${P}/org.mivor.Mivor.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${P}/org.mivor.Mivor.xml DESTINATION share/mime/packages)
install(FILES ${P}/org.mivor.Mivor.metainfo.xml DESTINATION share/metainfo)
install(FILES ${P}/mivor.1 ${P}/mivor-cli.1 DESTINATION share/man/man1)
