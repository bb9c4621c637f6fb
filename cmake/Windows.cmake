# The settings of a Windows build (cross-built with cmake/mingw-w64.cmake) that every target
# shares. The Linux-only pieces stay off there: the symbol version script, RUNPATH, the
# Debian packages, the manual page (it is written by running vanta) and the shell completions.
if(NOT WIN32)
    return()
endif()

# The C++ run time (libstdc++, libgcc, winpthread) is linked into each binary: vantaapi.dll and
# vanta.exe need no DLL but Windows' own, and an application's own copy of the mingw run time,
# of another version, can never be loaded in its place. Both binaries use msvcrt.dll's heap, so
# memory allocated on one side of the DLL boundary may be freed on the other.
add_link_options(-static)

# The DLL and its import library as a Windows developer expects them (vantaapi.dll,
# vantaapi.lib; mingw would call them libvantaapi.dll and libvantaapi.dll.a), and a module
# definition file listing the exports, for other toolchains' librarians.
function(vanta_windows_library target)
    set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
    target_link_options(${target} PRIVATE
        -Wl,--output-def,${PROJECT_BINARY_DIR}/${target}.def)
    install(FILES ${PROJECT_BINARY_DIR}/${target}.def DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT dev)
endfunction()
