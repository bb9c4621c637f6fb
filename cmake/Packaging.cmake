# The installed vanta finds the library beside it, wherever the tree is unpacked, and
# `make package` (CPack) builds the Debian packages, split as Debian splits a library:
#   libvantaapi<major>  component runtime: the shared library (libvantaapi.so.<major>, .so.<version>)
#   libvantaapi-dev     component dev: headers, the .so link, CMake and pkg-config files
#   vanta               component tool: vanta, its manual page, bash and zsh completion

# A RUNPATH relative to the binary: the installed tree works from any prefix.
file(RELATIVE_PATH VANTA_BIN_TO_LIB "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
set_target_properties(vanta PROPERTIES INSTALL_RPATH "$ORIGIN/${VANTA_BIN_TO_LIB}")
target_link_options(vanta PRIVATE -Wl,--enable-new-dtags)

set(vanta_runtime_package libvantaapi${PROJECT_VERSION_MAJOR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantaapi)
set(CPACK_PACKAGE_VENDOR "VantaAPI developers")
set(CPACK_PACKAGE_CONTACT "VantaAPI developers <packaging@vantaapi.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description below starts with its own synopsis; CPack puts this summary in
# front of it unless the summary is CPack's own default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_PACKAGE_NAME} built using CMake")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tool)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE vantaapi)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The run-time dependencies (libcurl, the C++ run time) from the binaries themselves, and a
# shlibs file (with the ldconfig trigger) so that programs built against the library depend
# on at least the version they were built with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg-shlibdeps finds the library the tool needs in the library package's staging tree (a
# sibling of the tool's); the dependency itself is the exact one below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ../runtime${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
# The development files and the tool need the library of exactly this build.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${vanta_runtime_package})
# The dynamic linker's cache is refreshed through dpkg's trigger, as Debian's libraries do.
file(WRITE ${PROJECT_BINARY_DIR}/debian/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "client library for the publishing service
The library signs users in, registers and uploads assets over FTP or FTPS,
shares files by email, publishes home pages and updates itself, through a C
interface and a C++ one (vanta::Client) with background jobs.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvantaapi-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "client library for the publishing service - development files
The library signs users in, registers and uploads assets over FTP or FTPS,
shares files by email, publishes home pages and updates itself.
.
This package holds the C and C++ headers, the CMake package
(find_package(VantaAPI)) and the pkg-config file (vantaapi).")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME vanta)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION net)
set(CPACK_DEBIAN_TOOL_DESCRIPTION "command-line client for the publishing service
vanta signs users in, uploads and lists assets, shares files by email,
publishes home pages and updates the library from the command line, with
text or JSON output.")

include(cmake/DebianFiles.cmake)
vanta_debian_docs(${vanta_runtime_package} runtime)
vanta_debian_docs(libvantaapi-dev dev)
vanta_debian_docs(vanta tool)

include(CPack)
