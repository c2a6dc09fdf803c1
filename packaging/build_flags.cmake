# Programs built the way Debian builds its own (hardened), and the same bytes
# from the same source wherever and whenever they are built. The sanitizer
# build keeps its own flags.
if(TAPWRITE_SANITIZE)
  return()
endif()

# Neither the source nor the build folder's path ends up in a program (debug
# information, __FILE__), so builds in other folders match.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)

if(WIN32)
  # mingw-w64's fortified functions and stack guard live in libssp, linked
  # statically like the rest. The relocations stay so Windows can move the
  # image. The linker and strip stamp the header with SOURCE_DATE_EPOCH when
  # it is set (the release sets it), else with the time of the build.
  add_compile_options(-fstack-protector-strong -D_FORTIFY_SOURCE=2)
  add_link_options(-fstack-protector-strong -Wl,--dynamicbase,--high-entropy-va,--nxcompat)
  link_libraries(ssp)
  return()
endif()

# Debian's own flags, as dpkg-buildflags gives them; in front, so the build
# type's optimisation still wins. CMake reads no CPPFLAGS: they go with the
# compile flags, as debhelper does it.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags not found: install Debian's dpkg-dev")
endif()
foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE debian_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(PREPEND CMAKE_CXX_FLAGS "${debian_CXXFLAGS} ${debian_CPPFLAGS} ")
string(PREPEND CMAKE_C_FLAGS "${debian_CFLAGS} ${debian_CPPFLAGS} ")
string(PREPEND CMAKE_EXE_LINKER_FLAGS "${debian_LDFLAGS} ")
