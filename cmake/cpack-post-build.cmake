# Run by cpack on each package it has made, before it copies it out (CPACK_POST_BUILD_SCRIPTS).
# CPack 3.25 puts into them what belongs to the machine that made them and not to the release;
# normalize_package.py takes it out.
if(NOT CPACK_ULMOR_PYTHON3)
  message(FATAL_ERROR "making the packages reproducible needs python3 (Debian package python3); "
    "install it and configure again")
endif()
# The date the generators had, which cpack-project.cmake sees to.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  set(epoch "${CPACK_ULMOR_SOURCE_DATE_EPOCH}")
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND "${CPACK_ULMOR_PYTHON3}" "${CMAKE_CURRENT_LIST_DIR}/normalize_package.py"
    "${epoch}" "${package}" RESULT_VARIABLE failed)
  if(failed)
    # Gone, so that no package is taken for a good one: cpack fails either way.
    file(REMOVE "${package}")
    message(FATAL_ERROR "could not make ${package} reproducible")
  endif()
endforeach()
