# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE), so that a package made
# by a plain `cpack`, with nothing exported, has the build's source date in it. CPack's DEB and
# ZIP generators then give every archive member that time and leave the time out of gzip headers,
# and strip, which cpack runs on the installed programs, stamps a PE file with it. A caller's own
# SOURCE_DATE_EPOCH is kept.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ULMOR_SOURCE_DATE_EPOCH}")
endif()
