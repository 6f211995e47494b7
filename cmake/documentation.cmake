# The documents that the native install puts beside the program, in the form Debian asks for:
#   share/man/man1/ulmor.1.gz     doc/ulmor.1.in, with the version and the source date filled in
#   share/doc/ulmor/copyright     the licences of all the program holds, in Debian's
#                                 machine-readable format (packaging/debian/copyright*.in)
#   share/doc/ulmor/changelog.gz  this version's entry of CHANGELOG.md, as a Debian changelog
#   share/doc/ulmor/examples/     the sample container and the script that makes it
# The texts are made at configure time, from the tree and ULMOR_SOURCE_DATE_EPOCH only; the build
# compresses them with `gzip -9n`, which stores neither a name nor a time. So the bytes depend on
# the commit alone.
#
# Included by cmake/packaging.cmake once CPACK_PACKAGE_CONTACT is set: the changelog is signed
# with it.

find_program(ULMOR_GZIP gzip REQUIRED)
set(ULMOR_DOC_DIR ${PROJECT_BINARY_DIR}/doc)

# The Debian changelog of a native package: one entry, for this version, whose text is the
# version's entry in CHANGELOG.md with its Markdown bullets made Debian's, signed by the
# maintainer at the source date. A version without an entry stops the build, so that a release
# never goes out without one.
function(ulmor_debian_changelog output)
  set(source ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REPLACE "\r" "" text "${text}")
  set(heading "\n## ${PROJECT_VERSION} - ")
  string(FIND "${text}" "${heading}" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "CHANGELOG.md has no entry for version ${PROJECT_VERSION}: add one "
      "headed '## ${PROJECT_VERSION} - YYYY-MM-DD'")
  endif()
  string(SUBSTRING "${text}" ${start} -1 entry)
  # Past the heading line, up to the next entry.
  string(SUBSTRING "${entry}" 1 -1 entry)
  string(FIND "${entry}" "\n" end)
  string(SUBSTRING "${entry}" ${end} -1 entry)
  string(FIND "${entry}" "\n## " end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${entry}" 0 ${end} entry)
  endif()
  string(STRIP "${entry}" entry)

  # "- " items become "* ", nested ones stay "- ", and every line moves in by two.
  string(REPLACE "`" "" entry "${entry}")
  set(entry "\n${entry}")
  string(REPLACE "\n- " "\n* " entry "${entry}")
  string(REGEX REPLACE "\n([^\n])" "\n  \\1" entry "${entry}")
  string(SUBSTRING "${entry}" 1 -1 ULMOR_DEBIAN_CHANGES)
  string(REPEAT "[^\n]" 81 too_long)
  if(ULMOR_DEBIAN_CHANGES MATCHES "${too_long}")
    message(FATAL_ERROR "CHANGELOG.md: a line of the ${PROJECT_VERSION} entry is over 80 "
      "characters in the Debian changelog; wrap it at 78:\n${CMAKE_MATCH_0}")
  endif()

  string(TIMESTAMP ULMOR_DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${output} @ONLY)
endfunction()

# The copyright file: LICENSE, and, when the C++ runtime is linked into the program (ULMOR_LEAN),
# that runtime's licence.
function(ulmor_debian_copyright output)
  set(debian ${PROJECT_SOURCE_DIR}/packaging/debian)
  set(source ${PROJECT_SOURCE_DIR}/LICENSE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source}
    ${debian}/copyright-static-runtime.in)
  file(READ ${source} text)
  string(REPLACE "\r" "" text "${text}")
  if(NOT text MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
    message(FATAL_ERROR "LICENSE: no 'Copyright (c) ...' line followed by the licence text")
  endif()
  set(ULMOR_COPYRIGHT "${CMAKE_MATCH_1}")
  # Licence text in a field: every line moved in by one, an empty line written as " .".
  string(STRIP "${CMAKE_MATCH_2}" text)
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(ULMOR_LICENSE_TEXT " ${text}")

  get_target_property(options ulmor LINK_OPTIONS)
  if(options MATCHES "-static-libstdc\\+\\+|-static-libgcc")
    file(READ ${debian}/copyright-static-runtime.in runtime)
    string(CONFIGURE "${runtime}" runtime @ONLY)
    set(ULMOR_STATIC_RUNTIME "\n${runtime}")
  else()
    set(ULMOR_STATIC_RUNTIME "")
  endif()
  configure_file(${debian}/copyright.in ${output} @ONLY)
endfunction()

# Makes input.gz at build time.
function(ulmor_gzip input)
  add_custom_command(OUTPUT ${input}.gz
    COMMAND ${CMAKE_COMMAND} -DGZIP=${ULMOR_GZIP} -DINPUT=${input} -DOUTPUT=${input}.gz
      -P ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
    VERBATIM)
endfunction()

configure_file(${PROJECT_SOURCE_DIR}/doc/ulmor.1.in ${ULMOR_DOC_DIR}/ulmor.1 @ONLY)
ulmor_debian_changelog(${ULMOR_DOC_DIR}/changelog)
ulmor_debian_copyright(${ULMOR_DOC_DIR}/copyright)
ulmor_gzip(${ULMOR_DOC_DIR}/ulmor.1)
ulmor_gzip(${ULMOR_DOC_DIR}/changelog)
add_custom_target(documentation ALL
  DEPENDS ${ULMOR_DOC_DIR}/ulmor.1.gz ${ULMOR_DOC_DIR}/changelog.gz)

install(FILES ${ULMOR_DOC_DIR}/ulmor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ULMOR_DOC_DIR}/copyright ${ULMOR_DOC_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/examples/sample.uq DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
# A script to run, as its first line says; Debian lets examples be executable.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/examples/make_sample.py
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
