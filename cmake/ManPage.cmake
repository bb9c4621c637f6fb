# Installs a generated manual page compressed as Debian ships them (gzip -9n: no name or
# time stamp inside, so the same page gives the same bytes).
#   vanta_install_man_page(PAGE COMPONENT)
# PAGE is the page as built, named NAME.SECTION (vanta.1); a rule of the same directory
# produces it.
find_program(VANTA_GZIP gzip REQUIRED)

function(vanta_install_man_page page component)
    get_filename_component(name ${page} NAME)
    string(REGEX MATCH "[1-9]$" section "${name}")
    if(section STREQUAL "")
        message(FATAL_ERROR "vanta_install_man_page: ${name} does not end in its section")
    endif()
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${VANTA_GZIP} -9 -n -k -f ${page}
        DEPENDS ${page}
        COMMENT "Compressing the ${name} man page"
        VERBATIM)
    string(MAKE_C_IDENTIFIER "${name}_gz" gz_target)
    add_custom_target(${gz_target} ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
        COMPONENT ${component})
endfunction()
