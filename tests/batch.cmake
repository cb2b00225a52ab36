# The batch program against the window on the headless back end.
add_executable(batch_tests BatchTest.cpp)
target_link_libraries(batch_tests PRIVATE quorvin_batch quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(batch_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(batch_tests PRIVATE QUORVIN_BATCH_EXE="$<TARGET_FILE:quorvin-batch>")
add_dependencies(batch_tests quorvin-batch)
gtest_discover_tests(batch_tests)

add_executable(batch_uncertainty_tests BatchTestUncertainty.cpp)
target_link_libraries(batch_uncertainty_tests PRIVATE quorvin_batch GTest::gtest_main)
target_include_directories(batch_uncertainty_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(batch_uncertainty_tests PRIVATE
  QUORVIN_UNCERTAINTY_REFERENCE="${CMAKE_CURRENT_SOURCE_DIR}/data/uncertainty_reference.csv")
gtest_discover_tests(batch_uncertainty_tests)
