# Lays the installed tree out afresh: cmake -DBUILD_DIR=... -DPREFIX=... -P install_tree.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result
  OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install into ${PREFIX} failed: ${result}")
endif()
foreach(needed bin/vekorra bin/vekorra-settings lib/vekorra/1/kestrum lib/vekorra/4/kestrum
               lib/vekorra/icons/ok.jpg share/applications/vekorra.desktop)
  if(NOT EXISTS "${PREFIX}/${needed}")
    message(FATAL_ERROR "the installed tree lacks ${needed}")
  endif()
endforeach()
