# The analyses beside the window's calculation.
add_executable(analysis_tests AnalysisTestHenry.cpp AnalysisTestUncertainty.cpp)
target_link_libraries(analysis_tests PRIVATE quorvin_analysis GTest::gtest_main)
target_include_directories(analysis_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(analysis_tests PRIVATE
  QUORVIN_HENRY_REFERENCE="${CMAKE_CURRENT_SOURCE_DIR}/data/henry_reference.csv"
  QUORVIN_UNCERTAINTY_REFERENCE="${CMAKE_CURRENT_SOURCE_DIR}/data/uncertainty_reference.csv")
gtest_discover_tests(analysis_tests)
