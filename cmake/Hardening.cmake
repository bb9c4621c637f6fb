# The hardening Debian builds its own packages with, for every target of the tree: stack
# protector, stack-clash and control-flow protection, full RELRO with immediate binding, and
# programs as position-independent executables.
#
# A Windows build takes the stack protector only: its linker already marks every image for
# address space randomisation (high entropy included) and non-executable data, and RELRO,
# stack-clash protection and _FORTIFY_SOURCE are ELF and glibc features.
if(WIN32)
    add_compile_options(-fstack-protector-strong)
    # The checks' run time (libssp) comes with the option at the link.
    add_link_options(-fstack-protector-strong)
    set(VANTA_FORTIFY OFF)
    return()
endif()
include(CheckPIESupported)
check_pie_supported()
add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection)
add_link_options(-Wl,-z,relro -Wl,-z,now)

# _FORTIFY_SOURCE only checks optimised code (glibc warns without optimisation, and -Werror
# turns that into an error), and the sanitizers replace the very functions it checks.
# package_check expects its checked functions exactly when VANTA_FORTIFY is on.
set(VANTA_FORTIFY OFF)
if(VANTA_SANITIZE STREQUAL "" AND NOT VANTA_FUZZ
    AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    set(VANTA_FORTIFY ON)
    add_compile_definitions(_FORTIFY_SOURCE=2)
endif()
