# GoogleTest is compiled from the sources Debian's libgtest-dev ships, in both builds,
# so that the Linux and the Win32 tests use the same framework.
set(VACANTOR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VACANTOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(GoogleTest)

# vacantor_add_test(NAME SOURCES ... LIBRARIES ... [LABELS ...])
# On Linux every test case becomes a CTest test (labelled linux: Qt's offscreen windows need
# no serial runs). Under Wine each process start costs time, so the Win32 build runs one
# CTest test per executable instead, real-window ones (label gui) one at a time. With a
# VACANTOR_TEST_LAUNCHER (the sanitizer build) each executable is one test run through it.
function(vacantor_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main
                                          vacantor_warnings)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    if(VACANTOR_TEST_LAUNCHER)
        add_test(NAME ${name} COMMAND ${VACANTOR_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600)
    elseif(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS "win32;${ARG_LABELS}" TIMEOUT 300)
        # Real windows share one display and one keyboard focus.
        if("gui" IN_LIST ARG_LABELS)
            set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
        endif()
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                             PROPERTIES LABELS linux TIMEOUT 300)
    endif()
endfunction()
