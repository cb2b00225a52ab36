# The toolkit layer on the headless back end, and the windows' logic.
add_executable(platform_tests PlatformTest.cpp)
target_link_libraries(platform_tests PRIVATE quorvin_platform_headless GTest::gtest_main)
target_include_directories(platform_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(platform_tests)

add_executable(forms_tests MainfrmTest.cpp)
target_link_libraries(forms_tests PRIVATE quorvin_forms quorvin_platform_headless GTest::gtest_main)
target_include_directories(forms_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(forms_tests)

add_executable(output_tests OutputTest.cpp)
target_link_libraries(output_tests PRIVATE quorvin_forms quorvin_platform_headless GTest::gtest_main)
target_include_directories(output_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(output_tests)

add_executable(henrymodels_tests HenrymodelsTest.cpp)
target_link_libraries(henrymodels_tests PRIVATE quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(henrymodels_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(henrymodels_tests)

add_executable(uncertainty_window_tests UncertaintyFrmTest.cpp)
target_link_libraries(uncertainty_window_tests PRIVATE quorvin_forms quorvin_platform_headless
                      GTest::gtest_main)
target_include_directories(uncertainty_window_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(uncertainty_window_tests)
