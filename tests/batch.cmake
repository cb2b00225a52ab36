# The batch program against the window on the headless back end.
add_executable(batch_tests BatchTest.cpp)
target_link_libraries(batch_tests PRIVATE quorvin_batch GTest::gtest_main)
target_include_directories(batch_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(batch_tests PRIVATE QUORVIN_BATCH_EXE="$<TARGET_FILE:quorvin-batch>")
add_dependencies(batch_tests quorvin-batch)
gtest_discover_tests(batch_tests)
