# mivor-calc: the calculation programs that calculation.rc names (xtb, psi4
# and HDF5 orbital-file wrappers), one program in build/calculations under every name (links);
# calculation.rc with its programs pointing there (build/mivorrc, used by
# `make run` and the tests) or at the installed ones.
mivor_sources(CALC_SOURCES src/calc/*.cpp)
list(REMOVE_ITEM CALC_SOURCES ${CMAKE_SOURCE_DIR}/src/calc/main.cpp)
add_library(mivor_calc_lib STATIC ${CALC_SOURCES})
target_link_libraries(mivor_calc_lib PUBLIC mivor_convert_lib)
add_executable(mivor-calc src/calc/main.cpp)
target_link_libraries(mivor-calc PRIVATE mivor_calc_lib)
set(MIVOR_CALC_DIR ${CMAKE_BINARY_DIR}/calculations)
set_target_properties(mivor-calc PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MIVOR_CALC_DIR})

# The programs as calculation.rc names them: "plugin=/usr/local/lib/mivor/NAME".
set(MIVOR_CALC_RC ${CMAKE_SOURCE_DIR}/mivorrc/calculation.rc)
set(MIVOR_CALC_DEFAULT_DIR /usr/local/lib/mivor)
file(STRINGS ${MIVOR_CALC_RC} MIVOR_CALC_LINES)
set(MIVOR_CALC_NAMES)
foreach(line IN LISTS MIVOR_CALC_LINES)
  if(line MATCHES "^plugin=${MIVOR_CALC_DEFAULT_DIR}/([^ ]+)")
    list(APPEND MIVOR_CALC_NAMES ${CMAKE_MATCH_1})
  endif()
endforeach()
foreach(name IN LISTS MIVOR_CALC_NAMES)
  add_custom_command(TARGET mivor-calc POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink mivor-calc ${MIVOR_CALC_DIR}/${name})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MIVOR_CALC_RC})
file(READ ${MIVOR_CALC_RC} MIVOR_CALC_TEXT)
string(REPLACE "plugin=${MIVOR_CALC_DEFAULT_DIR}/" "plugin=${MIVOR_CALC_DIR}/" MIVOR_CALC_TEXT "${MIVOR_CALC_TEXT}")
file(WRITE ${CMAKE_BINARY_DIR}/mivorrc/calculation.rc "${MIVOR_CALC_TEXT}")

install(TARGETS mivor-calc RUNTIME DESTINATION lib/mivor)
foreach(name IN LISTS MIVOR_CALC_NAMES)
  install(CODE "file(CREATE_LINK mivor-calc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/mivor/${name}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/lib/mivor/${name}\")")
endforeach()
# calculation.rc is written at install time, for the prefix installed into.
install(CODE "file(READ \"${MIVOR_CALC_RC}\" text)
  string(REPLACE \"plugin=${MIVOR_CALC_DEFAULT_DIR}/\" \"plugin=\${CMAKE_INSTALL_PREFIX}/lib/mivor/\" text \"\${text}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/mivor/calculation.rc\" \"\${text}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/mivor/calculation.rc\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/share/mivor/calculation.rc\")")
