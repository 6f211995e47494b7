# Two builds of one commit give the same bytes, wherever the tree sits and whenever it is built.
#
# One time stands for "now" wherever the build or its packages would stamp one:
# SOURCE_DATE_EPOCH when the caller sets it, else the time of the last commit, else, outside a git
# checkout, the date kept in cmake/source-date-epoch. Sets ULMOR_SOURCE_DATE_EPOCH (seconds since
# 1970) and ULMOR_SOURCE_DATE (YYYY-MM-DD, UTC). Included before any target, since the compile
# options below apply only to targets made after them.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT DEFINED ENV{ULMOR_SOURCE_DATE_EPOCH_FROM_CPACK})
  set(ULMOR_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(ULMOR_SOURCE_DATE_EPOCH "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    # Only this tree's own history counts, not that of a repository it happens to sit in.
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE top
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed)
      file(REAL_PATH "${top}" top)
      file(REAL_PATH "${PROJECT_SOURCE_DIR}" source)
    endif()
    if(NOT failed AND top STREQUAL source)
      # log.showSignature would put a signature check before the time.
      execute_process(COMMAND "${GIT_EXECUTABLE}" -c log.showSignature=false log -1 --format=%ct
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE ULMOR_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      # A new commit changes the date: configure again when HEAD moves. HEAD's log records every
      # move; where there is none, HEAD itself at least records a checkout. Asked of git, since in
      # a linked worktree .git is a file and HEAD lives elsewhere.
      foreach(head logs/HEAD HEAD)
        execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --git-path ${head}
          WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE path
          OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
        get_filename_component(path "${path}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
        if(NOT failed AND NOT IS_DIRECTORY "${path}" AND EXISTS "${path}")
          set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
          break()
        endif()
      endforeach()
    endif()
  endif()
  if(NOT ULMOR_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(STRINGS "${PROJECT_SOURCE_DIR}/cmake/source-date-epoch" ULMOR_SOURCE_DATE_EPOCH
      REGEX "^[0-9]+$" LIMIT_COUNT 1)
  endif()
endif()
if(NOT ULMOR_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: '${ULMOR_SOURCE_DATE_EPOCH}'")
endif()
# string(TIMESTAMP) follows SOURCE_DATE_EPOCH.
set(ENV{SOURCE_DATE_EPOCH} "${ULMOR_SOURCE_DATE_EPOCH}")
string(TIMESTAMP ULMOR_SOURCE_DATE "%Y-%m-%d" UTC)

# The paths of the source and build trees would otherwise reach the objects, through debug
# information and __FILE__. The build tree is named last so that it wins where it lies inside the
# source tree. Flags that a distributor passes come first on the command line and are kept.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-ffile-prefix-map=/a=b ULMOR_HAVE_FILE_PREFIX_MAP)
if(ULMOR_HAVE_FILE_PREFIX_MAP)
  set(ULMOR_PREFIX_MAP_FLAGS -ffile-prefix-map)
else()
  foreach(flag -fdebug-prefix-map -fmacro-prefix-map)
    string(MAKE_C_IDENTIFIER "ULMOR_HAVE${flag}" have)
    check_cxx_compiler_flag(${flag}=/a=b ${have})
    if(${have})
      list(APPEND ULMOR_PREFIX_MAP_FLAGS ${flag})
    endif()
  endforeach()
endif()
foreach(flag IN LISTS ULMOR_PREFIX_MAP_FLAGS)
  add_compile_options(${flag}=${PROJECT_SOURCE_DIR}=. ${flag}=${PROJECT_BINARY_DIR}=.)
endforeach()

# Packages: before cpack makes each one, it reads cmake/cpack-project.cmake, which hands this date
# to the generators; it runs cmake/cpack-pre-build.cmake on the staging directory and
# cmake/cpack-post-build.cmake on the package made, which fix what CPack 3.25 leaves to the
# packager's umask, user, time zone and file system. That needs python3, at packaging time only.
# A post-build script that changes a package must come before this one.
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/cpack-project.cmake")
set(CPACK_ULMOR_SOURCE_DATE_EPOCH "${ULMOR_SOURCE_DATE_EPOCH}")
find_program(ULMOR_PYTHON3 python3)
set(CPACK_ULMOR_PYTHON3 "${ULMOR_PYTHON3}")
list(APPEND CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/cpack-pre-build.cmake")
list(APPEND CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/cpack-post-build.cmake")
