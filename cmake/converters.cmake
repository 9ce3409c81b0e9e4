# The names plugin.rc calls mivor-convert by, made as links beside it; and
# plugin.rc itself with its library path pointing at the built converters
# (build/mivorrc, used by `make run` and the tests) or at the installed ones.
file(STRINGS ${CMAKE_SOURCE_DIR}/mivorrc/plugin.rc MIVOR_PLUGIN_LINES)
set(MIVOR_CONVERTER_NAMES)
foreach(line IN LISTS MIVOR_PLUGIN_LINES)
  foreach(key forward backward)
    if(line MATCHES "${key}=([^ ]+)")
      list(APPEND MIVOR_CONVERTER_NAMES ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES MIVOR_CONVERTER_NAMES)
foreach(name IN LISTS MIVOR_CONVERTER_NAMES)
  add_custom_command(TARGET mivor-convert POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink mivor-convert ${MIVOR_CONVERTER_DIR}/${name})
endforeach()

# plugin.rc with `libpath` replaced: mivor_plugin_rc(OUT DIR).
function(mivor_plugin_rc out dir)
  file(READ ${CMAKE_SOURCE_DIR}/mivorrc/plugin.rc text)
  string(REPLACE "libpath=/usr/local/lib/mivor " "libpath=${dir} " text "${text}")
  file(WRITE ${out} "${text}")
endfunction()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/mivorrc/plugin.rc)
mivor_plugin_rc(${CMAKE_BINARY_DIR}/mivorrc/plugin.rc ${MIVOR_CONVERTER_DIR})
