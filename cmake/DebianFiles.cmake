# The files Debian wants in /usr/share/doc/<package> of each package: the copyright file in the
# machine-readable format, carrying the MIT notice from LICENSE, and the package's changelog
# (native packages, so changelog.gz), compressed as Debian does.
#   vanta_debian_docs(PACKAGE COMPONENT)
# Installed only with their component (CPack asks for each); `cmake --install` skips them.

find_program(VANTA_GZIP gzip REQUIRED)

# LICENSE: the title, the copyright line, then the licence text after a blank line.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE vanta_license)
if(NOT vanta_license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*)$")
    message(FATAL_ERROR "LICENSE: no copyright line followed by the licence text")
endif()
set(vanta_copyright_holder "${CMAKE_MATCH_1}")
# In the copyright format every line of a licence text is indented and a paragraph break is
# a lone " .".
string(REGEX REPLACE "\n+$" "" vanta_license_text "${CMAKE_MATCH_2}")
string(REGEX REPLACE "\n\n" "\n.\n" vanta_license_text "${vanta_license_text}")
string(REGEX REPLACE "\n" "\n " vanta_license_text " ${vanta_license_text}")
set(vanta_debian_dir ${PROJECT_BINARY_DIR}/debian)
file(WRITE ${vanta_debian_dir}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${vanta_copyright_holder}
License: Expat
${vanta_license_text}
")

# One entry for the version built; what changed is in the project's CHANGELOG.md. The date
# honours SOURCE_DATE_EPOCH, so that a reproducible build gives the same packages.
string(TIMESTAMP vanta_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${vanta_debian_dir}/changelog
"${CPACK_DEBIAN_PACKAGE_SOURCE} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION} of the library and the vanta command.

 -- ${CPACK_PACKAGE_CONTACT}  ${vanta_changelog_date}
")
execute_process(COMMAND ${VANTA_GZIP} -9 -n -f ${vanta_debian_dir}/changelog
    COMMAND_ERROR_IS_FATAL ANY)

function(vanta_debian_docs package component)
    install(FILES ${vanta_debian_dir}/copyright ${vanta_debian_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
        COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()
