# Read by cpack before it makes each package (CPACK_PROJECT_CONFIG_FILE), so that a package made
# by a plain `cpack`, with nothing exported, has the build's source date in it. CPack's DEB and
# ZIP generators then give every archive member that time and leave the time out of gzip headers.
# A caller's own SOURCE_DATE_EPOCH is kept.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ULMOR_SOURCE_DATE_EPOCH}")
  # cpack builds the project before it installs it, which configures it again when HEAD has
  # moved: that configure must look up the new commit's date, not take this one for the caller's.
  set(ENV{ULMOR_SOURCE_DATE_EPOCH_FROM_CPACK} 1)
endif()
