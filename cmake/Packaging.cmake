# The installed vanta finds the library beside it, wherever the tree is unpacked, and
# `make package` (CPack) builds a Debian package of the whole installation: the library, the
# headers, the CMake and pkg-config files, vanta with its manual page and shell completions.

# A RUNPATH relative to the binary: the installed tree works from any prefix.
file(RELATIVE_PATH VANTA_BIN_TO_LIB "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
set_target_properties(vanta PROPERTIES INSTALL_RPATH "$ORIGIN/${VANTA_BIN_TO_LIB}")
target_link_options(vanta PRIVATE -Wl,--enable-new-dtags)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantaapi)
set(CPACK_PACKAGE_VENDOR "Vanta Inc")
set(CPACK_PACKAGE_CONTACT "VantaAPI maintainers <vantaapi@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# The run-time dependencies (libcurl, the C++ run time) from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Client library for the publishing service, its headers and development files, and the\n\
vanta command-line tool with its manual page and bash and zsh completion.")
include(CPack)
