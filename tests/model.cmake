# The electrophoresis model and the log entry, without any window.
add_executable(model_tests
  ModelTestElectrostatics.cpp
  ModelTestSampling.cpp
  ModelTestRecalculate.cpp
  ModelTestQuantities.cpp
)
target_link_libraries(model_tests PRIVATE quorvin_log quorvin_model GTest::gtest_main)
target_include_directories(model_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(model_tests)
