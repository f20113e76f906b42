# Installs the build into a fresh prefix, as an operator would, and checks that the commands and
# the manual pages are where the shell and man look for them.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed: ${result}")
endif()
set(expected bin/kelvorin bin/mirados bin/kelvorin-elements bin/mirados-session
    lib/systemd/system/kelvorin-elements.service lib/systemd/system/kelvorin-elements.timer)
foreach(page IN LISTS PAGES)
  string(REGEX MATCH "[0-9]$" section ${page})
  list(APPEND expected ${MANDIR}/man${section}/${page})
endforeach()
foreach(file IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${file} is not installed")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
