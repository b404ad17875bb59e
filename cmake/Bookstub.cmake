# Helpers shared by the folder CMakeLists files.

# bookstub_library(NAME DIR [DEPS ...]): a static library of every .cpp in DIR (not recursive).
function(bookstub_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# bookstub_test(NAME DIR [DEPS ...]): one GoogleTest executable of every .cpp in DIR.
function(bookstub_test name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "BOOKSTUB_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# bookstub_web_page(OUTPUT FORM_ACTION NOTE SCRIPT...): writes OUTPUT, a web page that plays the
# viewer movie, from the one source of the player's host page and an exported site's page
# (platform/ruffle/web/page.html.in). The page's content security policy lets forms go to
# FORM_ACTION (NOTE says why, in the page); the page loads each SCRIPT in order.
function(bookstub_web_page output form_action note)
  set(BOOKSTUB_PAGE_FORM_ACTION "${form_action}")
  set(BOOKSTUB_PAGE_FORMS_NOTE "${note}")
  set(BOOKSTUB_PAGE_SCRIPTS "")
  foreach(script IN LISTS ARGN)
    string(APPEND BOOKSTUB_PAGE_SCRIPTS "<script src=\"${script}\"></script>\n")
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/platform/ruffle/web/page.html.in ${output} @ONLY)
endfunction()
