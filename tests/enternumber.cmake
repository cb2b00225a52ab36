# The number entry dialog and the editing of the main window's parameters,
# on the headless back end.
add_executable(enternumber_tests EnternumberTest.cpp ParameterEditingTest.cpp)
target_link_libraries(enternumber_tests PRIVATE quorvin_forms quorvin_platform_headless
  GTest::gtest_main)
target_include_directories(enternumber_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(enternumber_tests)
