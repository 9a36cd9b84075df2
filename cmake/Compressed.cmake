# SPDX-License-Identifier: GPL-3.0-or-later
# Manual pages and changelogs are installed compressed, as Debian wants them: gzip -9n, so the
# result depends on the content alone (no name, no time stamp).
find_program(VEXA_GZIP gzip REQUIRED)

# vexa_install_gzipped(<source> <destination> [NAME <installed name without .gz>])
function(vexa_install_gzipped source destination)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "NAME" "")
  get_filename_component(input ${source} ABSOLUTE)
  set(name ${arg_NAME})
  if(NOT name)
    get_filename_component(name ${source} NAME)
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/gzipped
    COMMAND ${VEXA_GZIP} -9n -c ${input} > ${output}
    DEPENDS ${input}
    COMMENT "Compressing ${name}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "gzipped_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${output})
  install(FILES ${output} DESTINATION ${destination})
endfunction()
