# One time stands for "now" wherever the build or its packages would stamp one, so that two
# builds of one commit give the same bytes: SOURCE_DATE_EPOCH when the caller sets it, else the
# time of the last commit, else, outside a git checkout, the date kept in cmake/source-date-epoch.
#
# Sets ULMOR_SOURCE_DATE_EPOCH (seconds since 1970) and ULMOR_SOURCE_DATE (YYYY-MM-DD, UTC).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
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
      execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE ULMOR_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      # A new commit changes the date: configure again when HEAD moves.
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/.git/logs/HEAD")
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
