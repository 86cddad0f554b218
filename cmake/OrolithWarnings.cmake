# Warnings and sanitizers shared by every Orolith target.
option(OROLITH_TSAN "Build with ThreadSanitizer (not together with OROLITH_SANITIZE)" OFF)
add_library(orolith_build_flags INTERFACE)
target_compile_options(orolith_build_flags INTERFACE -Wall -Wextra -Wno-missing-field-initializers $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
if(OROLITH_FUZZ)
  # Every library gets coverage instrumentation; only the harnesses link libFuzzer's main.
  target_compile_options(orolith_build_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(orolith_build_flags INTERFACE -fsanitize=address,undefined)
elseif(OROLITH_SANITIZE)
  target_compile_options(orolith_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(orolith_build_flags INTERFACE -fsanitize=address,undefined)
elseif(OROLITH_TSAN)
  target_compile_options(orolith_build_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(orolith_build_flags INTERFACE -fsanitize=thread)
endif()

# orolith_library(NAME LIBS ... [EXCLUDE file ...]): one library per source
# folder; every .cpp of the folder belongs to it (except the excluded program
# entries), so adding a file needs no edit here.
function(orolith_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC orolith_build_flags ${ARG_LIBS})
  else()
    # A layer with headers only (or nothing yet) still gives its dependants a target.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE orolith_build_flags ${ARG_LIBS})
  endif()
endfunction()

# orolith_test_folder(LAYER LIBS ...): the tests of one layer. Files ending in
# _gui_test.cpp need a display (widgets or a GL context) and run in an
# executable whose main creates the QApplication; each of its tests runs on a
# virtual X server of its own (tests/support/run-with-own-display) and carries
# the label "gl" beside the layer's. The others run anywhere.
function(orolith_test_folder layer)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(gui ${all})
  list(FILTER gui INCLUDE REGEX "_gui_test\\.cpp$")
  set(plain ${all})
  list(FILTER plain EXCLUDE REGEX "_gui_test\\.cpp$")
  set(environment "OROLITH_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
  if(plain)
    add_executable(${layer}_tests ${plain})
    target_link_libraries(${layer}_tests PRIVATE orolith_test_support GTest::gtest GTest::gtest_main ${ARG_LIBS})
    gtest_discover_tests(${layer}_tests DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS "${layer}" ENVIRONMENT "${environment}")
  endif()
  if(gui)
    add_executable(${layer}_gui_tests ${gui})
    target_link_libraries(${layer}_gui_tests PRIVATE orolith_test_support orolith_gui_test_main GTest::gtest ${ARG_LIBS})
    set_target_properties(${layer}_gui_tests PROPERTIES
      CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/support/run-with-own-display)
    # gtest_discover_tests flattens PROPERTIES into one list, so a list value
    # ("layer;gl") would lose its second item and shift every property after
    # it. The labels are set by a file CTest reads after the discovered tests.
    gtest_discover_tests(${layer}_gui_tests DISCOVERY_MODE PRE_TEST
      TEST_LIST ${layer}_gui_tests_TESTS PROPERTIES ENVIRONMENT "${environment}")
    set(labels ${CMAKE_CURRENT_BINARY_DIR}/${layer}_gui_tests_labels.cmake)
    file(WRITE ${labels} "set_tests_properties(\${${layer}_gui_tests_TESTS} PROPERTIES LABELS \"${layer};gl\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels})
  endif()
endfunction()
