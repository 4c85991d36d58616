# Project-wide helpers: warnings per target, sanitizers, and the test registration.

if(LK7_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(lk7_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt; such a subfolder adds
# its sources to the library of the current folder with target_sources.
function(lk7_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# lk7_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [TIMEOUT s] [LABELS l])
# A Qt Test executable run offscreen, with the registry and the config home in a temporary place.
function(lk7_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  lk7_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_compile_definitions(${T_NAME} PRIVATE
    LK7_SOURCE_DIR="${PROJECT_SOURCE_DIR}" LK7_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.config;LK7_COM1=;LK7_COM2=")
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
