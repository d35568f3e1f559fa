# The Debian package (make package): the program as /usr/bin/ferrowick (Debian
# names commands in lower case) and the registry editor, the menu entry and
# its icons, AppStream metainfo, manual pages and the documents.
set(_src ${PROJECT_SOURCE_DIR}/packaging/linux)
set(_gen ${CMAKE_BINARY_DIR}/package-files)

# Files that carry the version, and the gzipped manual pages and changelog.
configure_file(${_src}/org.tovrel.ferrowick.metainfo.xml ${_gen}/org.tovrel.ferrowick.metainfo.xml @ONLY)
set(_gzipped)
foreach(_file ferrowick.1 ferrowick-reg.1 changelog.in)
  string(REPLACE ".in" "" _name ${_file})
  configure_file(${_src}/${_file} ${_gen}/${_name} @ONLY)
  add_custom_command(OUTPUT ${_gen}/${_name}.gz
    COMMAND gzip -9nf -k ${_gen}/${_name}
    DEPENDS ${_gen}/${_name} VERBATIM)
  list(APPEND _gzipped ${_gen}/${_name}.gz)
endforeach()
# The menu icon in every size, drawn by the same code as the Windows icon.
add_custom_command(OUTPUT ${_gen}/hicolor/256x256/apps/ferrowick.png
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:ferrowick-icon> --hicolor ${_gen}/hicolor
  DEPENDS ferrowick-icon VERBATIM)
# Not part of every build (a sanitized one would run the drawing under ASan).
add_custom_target(package-files DEPENDS ${_gzipped} ${_gen}/hicolor/256x256/apps/ferrowick.png)

install(TARGETS Ferrowick ferrowick-reg RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Ferrowick\"
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ferrowick\")"
  COMPONENT program)
install(FILES ${_src}/ferrowick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
install(DIRECTORY ${_gen}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT program)
install(FILES ${_gen}/org.tovrel.ferrowick.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  COMPONENT program)
install(FILES ${_gen}/ferrowick.1.gz ${_gen}/ferrowick-reg.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${_src}/copyright
  ${_gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmere-light COMPONENT program)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere-light)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The place the program finds itself installed in (ProgramPaths) is this one.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_COMPONENTS_ALL program)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmere Light authors <quillmere-light@tovrel.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack indents the lines after the first.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "desktop syslog receiver for one workstation
Quillmere Light listens for syslog messages on one UDP port of every local
IPv4 address (and, when turned on, over TCP and IPv6), shows them coloured
in a live table, classifies them against lists of IDs, senders and tokens,
and writes them to daily log files that load back into a viewer. It never
sends anything.")
# Dependencies from the binaries; libcap2-bin for the capability at install.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_src}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
