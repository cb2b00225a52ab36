# The window program's command line.
add_executable(app_tests CommandLineTest.cpp)
target_link_libraries(app_tests PRIVATE quorvin_app GTest::gtest_main)
target_include_directories(app_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(app_tests)

# The installed files, as a package would place them.
if(NOT QUORVIN_SANITIZE)
  add_test(NAME Install.FilesAndProgramsAsInstalled
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/check-install.sh ${PROJECT_BINARY_DIR}
                   ${PROJECT_SOURCE_DIR})
endif()
