# Install rules and packages.
#
# Elsewhere: `cmake --install build --prefix P` gives P/bin/ulmor, P/share/man/man1/ulmor.1.gz and
# P/share/doc/ulmor (cmake/documentation.cmake), and `cpack -G DEB` in the build directory gives a
# Debian package of the same files under /usr.
# Windows: packaging/windows/windows.cmake installs bin/ulmor.exe and the texts for Windows
# users, and cpack packs them into a ZIP; a man page means nothing there.

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  include(GNUInstallDirs)
  install(TARGETS ulmor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME ulmor)
set(CPACK_PACKAGE_VENDOR "ulmor maintainers")
set(CPACK_PACKAGE_CONTACT "ulmor maintainers <maintainers@users.noreply.c-seed-6515d2ee.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "unpack the members of a container file into a directory")
# Lines as they stand in the package, within 80 characters; an empty line starts a paragraph.
set(CPACK_PACKAGE_DESCRIPTION "\
ulmor reads a container file, a 512-byte header with a table of up to 127
members followed by their data, and writes every member into a directory as a
file named after its row, 000.bin to 126.bin. It prints one line for each
member it writes. Members are copied raw, byte for byte.

The container is only ever read, a member cut short keeps the bytes that were
there, and every failure ends the run with a fixed message and exit status 1.
The package holds the program, its manual page and a sample container.")
set(CPACK_RESOURCE_FILE_README ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
# ulmor.exe is stripped as it is linked: a strip after the link would stamp the time into it.
if(NOT WIN32)
  set(CPACK_STRIP_FILES ON)
endif()

# ulmor_1.0.0_amd64.deb, the name Debian's own tools would give it.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is worked out from the binary itself (dpkg-shlibdeps, in dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# For examples/make_sample.py in /usr/share/doc/ulmor; the program needs no Python.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3)

if(NOT WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/documentation.cmake)
endif()

include(CPack)
