# The manual pages, and the Debian package made by CPack from the install rules
# above (cmake --build <build> --target package, or cpack in the build folder):
# whatever they install goes into the package.

# Compressed the way Debian wants them: best compression, no name or time.
# Every manual page here goes to the section its name ends in.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(GLOB manual_pages RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/packaging
  CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/*.[1-9])
set(compressed)
foreach(source ${manual_pages} changelog)
  add_custom_command(
    OUTPUT ${packaging_out}/${source}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${source}
            ${packaging_out}/${source}.gz
    DEPENDS packaging/${source}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${source}.gz)
endforeach()
add_custom_target(tapwrite_packaging_files ALL DEPENDS ${compressed})
foreach(page ${manual_pages})
  string(REGEX MATCH "[1-9]$" section ${page})
  install(FILES ${packaging_out}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# Only in the package (prefix /usr): Debian's XScreenSaver runs hacks found
# in its own folder by bare name, and MATE lists those its .desktop files
# name; the font comes from fonts-cmu, and the package documents itself.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver COMPONENT debian EXCLUDE_FROM_ALL)
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(CREATE_LINK \"../../${TAPWRITE_INSTALL_DIR}/tapwrite\"
       \"\${root}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/tapwrite\" SYMBOLIC)
  file(CREATE_LINK \"../fonts/truetype/cmu/cmuntt.ttf\"
       \"\${root}/${TAPWRITE_INSTALL_ASSET_DIR}/gtw.ttf\" SYMBOLIC)"
  COMPONENT debian EXCLUDE_FROM_ALL)
# The saver's command is static on purpose (app/posix_launcher.cpp), which
# lintian takes for a library that names none it needs.
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME tapwrite COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES packaging/tapwrite.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES packaging/copyright ${packaging_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tapwrite COMPONENT debian EXCLUDE_FROM_ALL)
install(CODE "
  file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/tapwrite/changelog.gz\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/tapwrite/changelog.Debian.gz\")"
  COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_NAME tapwrite)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# One package of every component but the bundled font; new install rules land
# in the default component and so in the package.
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tapwrite maintainers <maintainers@tapwrite.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-cmu)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
# What starts it when a Wayland desk (sway and its kin) goes idle.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS swayidle)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver where a typewriter types onto a sheet of paper")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
A sheet of typing paper winds up into the screen and an unseen typewriter
types sentences onto it, one character at a time, with irregular pauses, the
odd capital and the odd dropped letter. The sheet rolls up line by line; after
48 lines it winds out over the top and a fresh sheet is fed in.

It runs as a display mode (a hack) of XScreenSaver: pick Tapwrite in
xscreensaver-settings, or add the line tapwrite --root to the programs list in
~/.xscreensaver. On a Wayland desk such as sway, an idle daemon (swayidle)
starts it. Started by hand, it shows the page in a window the size of the
screen until a key is pressed or the mouse moves.

At every start it asks the Tapwrite web service for the sentences to type;
without an answer it types its own built-in text. The people who write those
sentences check them with tapwrite-feed, which shows what every saver will
type and draws the page it will show.]])
include(CPack)
