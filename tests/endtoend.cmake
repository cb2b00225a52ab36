# The whole program end to end on the Qt back end, offscreen (the test program
# chooses it when nothing else is asked for), at the normal and at twice the
# normal scale.
add_executable(endtoend_tests EndToEndTest.cpp)
target_link_libraries(endtoend_tests PRIVATE quorvin_app GTest::gtest)
target_include_directories(endtoend_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(endtoend_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                     TIMEOUT 120 DISCOVERY_TIMEOUT 30)
gtest_discover_tests(endtoend_tests TEST_PREFIX "scale2."
                     PROPERTIES ENVIRONMENT QT_SCALE_FACTOR=2
                     TIMEOUT 120 DISCOVERY_TIMEOUT 30)
