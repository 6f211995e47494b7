# What makes ulmor.exe a proper Windows program, and what its ZIP holds. Included by the top
# CMakeLists.txt in the Windows build only, once the ulmor target exists.
#
# `cmake --install` puts the program in bin/ and README.txt, LICENSE.txt and NOTICES.txt at the
# top of the prefix; the ZIP that cpack makes is that same tree in one folder. A user who opens
# the ZIP sees the README first, and an installer or a packager gets the usual bin/ layout.

set(ULMOR_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})

# The oldest Windows the program runs on, which the manifest's first supportedOS entry names
# too: Windows 7 (6.1). Declaring it to the headers turns any newer call in the tool's own code
# into a compile error; the runtime's imports are checked on the built program
# (tests/checks/zip.sh).
set(ULMOR_WINDOWS_MAJOR 6)
set(ULMOR_WINDOWS_MINOR 1)
target_compile_definitions(ulmor_core PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)

# The version resource and the manifest.
enable_language(RC)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE ULMOR_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
if(NOT ULMOR_COPYRIGHT)
  message(FATAL_ERROR "LICENSE has no Copyright line for the version resource")
endif()
set(ULMOR_FILE_DESCRIPTION "${PROJECT_DESCRIPTION}")
set(ULMOR_MANIFEST ${ULMOR_WINDOWS_DIR}/ulmor.exe.manifest)
configure_file(${ULMOR_WINDOWS_DIR}/ulmor.rc.in ${CMAKE_CURRENT_BINARY_DIR}/ulmor.rc @ONLY)
target_sources(ulmor PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/ulmor.rc)
# The resource compiler reads the manifest, which the build's dependency scan does not see.
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/ulmor.rc PROPERTIES
  OBJECT_DEPENDS ${ULMOR_MANIFEST})

# The PE header. The minimum Windows, for the loader (OS version) and for the console
# subsystem, is the one the manifest starts at. ASLR with the full 64-bit range and DEP, which
# this linker turns on by default, are asked for by name, so that a linker with other defaults
# cannot drop them. No time stamp, so that two builds of one commit give the same bytes. In the
# builds that are shipped, the symbols are stripped here, at link time: stripping afterwards
# (cpack's strip) would write a time stamp into the header again.
target_link_options(ulmor PRIVATE
  LINKER:--major-os-version=${ULMOR_WINDOWS_MAJOR},--minor-os-version=${ULMOR_WINDOWS_MINOR}
  LINKER:--major-subsystem-version=${ULMOR_WINDOWS_MAJOR}
  LINKER:--minor-subsystem-version=${ULMOR_WINDOWS_MINOR}
  LINKER:--dynamicbase,--high-entropy-va,--nxcompat
  LINKER:--no-insert-timestamp
  $<$<CONFIG:Release,MinSizeRel>:-s>)

# The texts of the ZIP, with CR LF line ends as Notepad and `type` expect them.
function(ulmor_windows_text source target)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  # Written through a copy that changes only when the text does, so that an unchanged text
  # is not installed or packed again.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}.new "${text}")
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/${target}.new ${CMAKE_CURRENT_BINARY_DIR}/${target}
    COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

configure_file(${ULMOR_WINDOWS_DIR}/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt.lf
  @ONLY)
ulmor_windows_text(${CMAKE_CURRENT_BINARY_DIR}/README.txt.lf README.txt)
ulmor_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
# The notices that the licences of the runtime code linked into ulmor.exe ask to be shipped with
# it: the mingw-w64 runtime (start-up code and C library parts, under the Zope Public License
# 2.1, with number formatting from gdtoa under Lucent's licence). Two runtimes ask for none:
# libgcc and libstdc++ are under the GPL with the GCC Runtime Library Exception, which lets a
# program compiled by GCC be conveyed under terms of its own choice, notice or not; and the
# demangler inside libstdc++ (libiberty's) grants unlimited permission to link it. NOTICES.txt
# still names them, for the reader's information. winpthreads, which would want its MIT notice,
# is not linked: see cmake/mingw-w64.cmake.
ulmor_windows_text(${ULMOR_WINDOWS_DIR}/NOTICES.txt NOTICES.txt)

install(TARGETS ulmor RUNTIME DESTINATION bin)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/README.txt
  ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
  ${CMAKE_CURRENT_BINARY_DIR}/NOTICES.txt
  DESTINATION .)
