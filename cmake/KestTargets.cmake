# Target helpers shared by every folder.
#
# The domain code (everything outside the ui/ folders) must never link Qt. Two guards keep it so:
# every domain library compiles domain_guard.cpp, which fails as soon as a Qt target reaches the
# library (Qt targets hand QT_CORE_LIB to whatever links them), and kest_check_domain_boundary()
# walks the link graph of every domain library at configure time.

set(KEST_WARNINGS -Wall -Wextra -Wpedantic -Werror)
set(KEST_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)

function(kest_apply_common target)
  target_compile_options(${target} PRIVATE ${KEST_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(KEST_SANITIZE)
    target_compile_options(${target} PRIVATE ${KEST_SANITIZER_FLAGS})
    target_link_options(${target} PUBLIC ${KEST_SANITIZER_FLAGS})
  endif()
endfunction()

# kest_domain_library(NAME SOURCES ... [DEPENDS ...])
function(kest_domain_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/domain_guard.cpp)
  kest_apply_common(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY KEST_DOMAIN_LIBRARIES ${name})
endfunction()

# kest_ui_library(NAME SOURCES ... [DEPENDS ...]): Qt code, in a ui/ folder.
function(kest_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  kest_apply_common(${name})
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_DEPENDS})
endfunction()

# kest_executable(NAME SOURCES ... [OUTPUT_NAME n] [DEPENDS ...])
function(kest_executable name)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kest_apply_common(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  if(ARG_OUTPUT_NAME)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME "${ARG_OUTPUT_NAME}")
  endif()
endfunction()

# kest_test_labels(OUT_VAR): the CTest labels of the tests defined in the calling folder: the
# name of the folder they test (tests/<folder>/...), and "ui" as well in a ui/ folder. So
# `ctest -L '^update$'` runs the tests of update/ (-L takes a regular expression: a bare
# "update" also matches "selfupdate").
function(kest_test_labels out_var)
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" ";" parts "${relative}")
  list(GET parts 0 labels)
  if("ui" IN_LIST parts)
    list(APPEND labels ui)
  endif()
  set(${out_var} ${labels} PARENT_SCOPE)
endfunction()

# kest_gtest(NAME SOURCES ... [DEPENDS ...] [ENVIRONMENT ...])
# One process per test case (gtest_discover_tests), so process-wide state never leaks between
# cases. Tests make their own temporary folders; none shares a fixed path with another. The
# label is the folder under test (kest_test_labels); GoogleTest programs live outside ui/.
function(kest_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kest_apply_common(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock ${ARG_DEPENDS})
  # An empty property value would vanish from the list and shift every pair after it, so only
  # the properties that were given are passed on.
  kest_test_labels(labels)
  set(properties TIMEOUT 300 LABELS ${labels})
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# kest_qtest(NAME SOURCES ... [DEPENDS ...]): a QtTest program, run on the offscreen platform,
# labelled as kest_test_labels says.
function(kest_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  kest_apply_common(${name})
  target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets ${ARG_DEPENDS})
  add_test(NAME ${name} COMMAND ${name})
  kest_test_labels(labels)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}" TIMEOUT 600 LABELS "${labels}")
endfunction()

function(_kest_collect_links target out_var)
  set(seen ${${out_var}})
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libs ${target} ${prop})
    if(NOT libs)
      continue()
    endif()
    foreach(lib IN LISTS libs)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
      if(lib IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${lib})
      if(TARGET ${lib})
        get_target_property(aliased ${lib} ALIASED_TARGET)
        if(aliased)
          list(APPEND seen ${aliased})
          set(lib ${aliased})
        endif()
        _kest_collect_links(${lib} seen)
      endif()
    endforeach()
  endforeach()
  set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

function(kest_check_domain_boundary)
  get_property(domain GLOBAL PROPERTY KEST_DOMAIN_LIBRARIES)
  foreach(target IN LISTS domain)
    set(links "")
    _kest_collect_links(${target} links)
    foreach(lib IN LISTS links)
      if(lib MATCHES "^Qt[0-9]*::" OR lib MATCHES "Qt[0-9]*(Core|Gui|Widgets)")
        message(FATAL_ERROR "Domain library ${target} links ${lib}: domain code must not use Qt. "
                            "Move the Qt code into a ui/ folder.")
      endif()
    endforeach()
  endforeach()
endfunction()
