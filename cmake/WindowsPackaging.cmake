# The Windows build is packed by `cpack` (scripts/build-windows runs it) into one zip that
# unpacks into a folder of its own:
#   bin/       vantaapi.dll and vanta.exe, side by side as Windows finds a program's DLLs
#   include/   the C and C++ headers
#   lib/       the import library vantaapi.lib, vantaapi.def, the CMake package
#              (find_package(VantaAPI) gives VantaAPI::vantaapi) and the pkg-config file
#   LICENSE.txt, README.md (the README's "Windows" section), licenses/ (what is linked in)

# The README's Windows section, from its heading to the next heading of the same level.
file(READ ${PROJECT_SOURCE_DIR}/README.md vanta_readme)
string(FIND "${vanta_readme}" "\n## Windows\n" vanta_windows_at)
if(vanta_windows_at EQUAL -1)
    message(FATAL_ERROR "README.md has no \"## Windows\" section for the Windows package")
endif()
math(EXPR vanta_windows_at "${vanta_windows_at} + 1")
string(SUBSTRING "${vanta_readme}" ${vanta_windows_at} -1 vanta_windows_section)
string(FIND "${vanta_windows_section}" "\n## " vanta_windows_end)
if(NOT vanta_windows_end EQUAL -1)
    string(SUBSTRING "${vanta_windows_section}" 0 ${vanta_windows_end} vanta_windows_section)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(WRITE ${PROJECT_BINARY_DIR}/package/README.md
    "# ${PROJECT_NAME} ${PROJECT_VERSION} for Windows (x64)\n\n${vanta_windows_section}")
install(FILES ${PROJECT_BINARY_DIR}/package/README.md DESTINATION . COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT runtime)

# libcurl, libcrypto and the mingw-w64 run time are linked into the binaries: their licences
# travel with them. scripts/build-windows names the files, one NAME=FILE pair each.
set(VANTA_BUNDLED_LICENSES "" CACHE STRING
    "Licences of what is linked into the Windows binaries: NAME=FILE;...")
foreach(pair IN LISTS VANTA_BUNDLED_LICENSES)
    string(REGEX MATCH "^([^=]+)=(.+)$" matched "${pair}")
    if(NOT matched OR NOT EXISTS "${CMAKE_MATCH_2}")
        message(FATAL_ERROR "VANTA_BUNDLED_LICENSES: '${pair}' is no NAME=FILE of a file that exists")
    endif()
    install(FILES "${CMAKE_MATCH_2}" DESTINATION licenses RENAME "${CMAKE_MATCH_1}.txt"
        COMPONENT runtime)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vantaapi)
set(CPACK_PACKAGE_VENDOR "VantaAPI developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME vantaapi-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# One zip with every component: the DLL, the headers and import library, and vanta.exe.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
