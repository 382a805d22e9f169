# orvane_library(NAME SOURCES... [DEPS ...]): a static library of one subsystem folder,
# its headers included from src/.
function(orvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${ORVANE_SRC_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# orvane_test(NAME LABEL label SOURCES... [DEPS ...] [DATA dir]): one GoogleTest program,
# registered with CTest test by test and labelled. DATA is passed as the ORVANE_TEST_DATA macro.
function(orvane_test name)
  cmake_parse_arguments(ARG "" "LABEL;DATA" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  if(ARG_DATA)
    target_compile_definitions(${name} PRIVATE ORVANE_TEST_DATA="${ARG_DATA}")
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()

# orvane_tests_glob(LABEL label DEPS ... [DATA dir]): every test_*.cpp of the calling folder
# becomes its own test program, so that one half-written file never stops the others building.
function(orvane_tests_glob)
  cmake_parse_arguments(ARG "" "LABEL;DATA" "DEPS" ${ARGN})
  file(GLOB fontes CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  get_filename_component(pasta ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  foreach(fonte ${fontes})
    get_filename_component(base ${fonte} NAME_WE)
    set(extra)
    if(ARG_DATA)
      set(extra DATA ${ARG_DATA})
    endif()
    orvane_test(${pasta}_${base} LABEL ${ARG_LABEL} SOURCES ${fonte} DEPS ${ARG_DEPS} ${extra})
  endforeach()
endfunction()
