# The hardening Debian builds its own packages with, for every target of the tree: stack
# protector, stack-clash and control-flow protection, full RELRO with immediate binding, and
# programs as position-independent executables.
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
