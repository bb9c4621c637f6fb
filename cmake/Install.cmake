# Installs the library, the public headers, a CMake package (find_package(VantaAPI) gives
# VantaAPI::vantaapi) and a pkg-config file. The library is the component runtime, the rest
# the component dev (the Debian packages of cmake/Packaging.cmake).
include(CMakePackageConfigHelpers)

# The include directory comes from the target's own INSTALL_INTERFACE.
# A shared library is not a program: read-only, as Debian installs libraries. A DLL goes beside
# the programs (bin/), where Windows looks for it, and its import library to lib/.
install(TARGETS vantaapi EXPORT VantaAPITargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    COMPONENT runtime NAMELINK_COMPONENT dev
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT VantaAPITargets NAMESPACE VantaAPI::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantaAPI COMPONENT dev)

configure_package_config_file(cmake/VantaAPIConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VantaAPIConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantaAPI)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VantaAPIConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VantaAPIConfig.cmake
    ${PROJECT_BINARY_DIR}/VantaAPIConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VantaAPI COMPONENT dev)

# The pkg-config file finds its prefix relative to its own location, so that an installation
# moved elsewhere (or made with `cmake --install --prefix`) still gives the right flags.
file(RELATIVE_PATH VANTA_PC_TO_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig"
    "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" VANTA_PC_TO_PREFIX "${VANTA_PC_TO_PREFIX}")
configure_file(cmake/vantaapi.pc.in ${PROJECT_BINARY_DIR}/vantaapi.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vantaapi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT dev)
