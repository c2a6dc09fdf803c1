# tapwrite_wayland_protocol(<sources-var> <xml>): generates, at build time,
# the client header and the interface code of a Wayland protocol from its XML
# (as Debian's wayland-protocols and plasma-wayland-protocols ship them) with
# wayland-scanner, and appends the generated C file to <sources-var>. The
# header, <name>-client-protocol.h, lands in the build's wayland-protocols/
# folder, which the caller adds to its include path.
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
set(TAPWRITE_PROTOCOL_DIR ${CMAKE_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${TAPWRITE_PROTOCOL_DIR})

function(tapwrite_wayland_protocol sources_var xml)
  get_filename_component(name ${xml} NAME_WE)
  set(header ${TAPWRITE_PROTOCOL_DIR}/${name}-client-protocol.h)
  set(code ${TAPWRITE_PROTOCOL_DIR}/${name}-protocol.c)
  if(NOT TARGET tapwrite_protocol_${name})
    add_custom_command(OUTPUT ${header}
      COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
      DEPENDS ${xml} VERBATIM)
    add_custom_command(OUTPUT ${code}
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
      DEPENDS ${xml} ${header} VERBATIM)
    add_custom_target(tapwrite_protocol_${name} DEPENDS ${header} ${code})
  endif()
  set(${sources_var} ${${sources_var}} ${code} ${header} PARENT_SCOPE)
endfunction()
