# Run by cpack on the staging directory before it packs it (CPACK_PRE_BUILD_SCRIPTS). Install
# makes directories through the packager's umask, so that one packager's would be drwx------
# where another's are drwxr-xr-x, and those modes go into the packages. Files need nothing here:
# install gives them the modes its rules name, whatever the umask.
file(GLOB_RECURSE directories LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(directory IN LISTS directories)
  if(IS_DIRECTORY "${directory}" AND NOT IS_SYMLINK "${directory}")
    file(CHMOD "${directory}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
      GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
