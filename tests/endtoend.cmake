# The whole program end to end on the Qt back end, offscreen (the test program
# chooses it when nothing else is asked for), at the normal and at twice the
# normal scale.
add_executable(endtoend_tests EndToEndTest.cpp EndToEndRecoveryTest.cpp)
target_link_libraries(endtoend_tests PRIVATE quorvin_app GTest::gtest)
target_include_directories(endtoend_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(endtoend_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
                     TIMEOUT 120 DISCOVERY_TIMEOUT 30)
gtest_discover_tests(endtoend_tests TEST_PREFIX "scale2."
                     PROPERTIES ENVIRONMENT QT_SCALE_FACTOR=2
                     TIMEOUT 120 DISCOVERY_TIMEOUT 30)

# Some of them again natively on Wayland, each under a compositor of its own
# (tests/wayland/run-under-weston.sh): the number entry and its result, the
# menus and the graph, the calculators' nested dialogs, a second window.
set(QUORVIN_WAYLAND_TESTS
    EndToEnd.RoadOfOneEvent
    EndToEnd.GraphMenuCommandsExportThePointsShown
    EndToEnd.HenryModelsWindowReadsOutItsTable
    "EachCalculator/Calculators.*")
foreach(filter IN LISTS QUORVIN_WAYLAND_TESTS)
  string(REGEX REPLACE "^EachCalculator/|\\.\\*$" "" name "${filter}")
  add_test(NAME wayland.${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/wayland/run-under-weston.sh
                   $<TARGET_FILE:endtoend_tests> --gtest_filter=${filter})
  # A filter that matches no test, after a rename, fails rather than passes.
  set_tests_properties(wayland.${name} PROPERTIES TIMEOUT 120
                       FAIL_REGULAR_EXPRESSION "Running 0 tests")
  # Qt 6.4's Wayland client leaves its protocol objects and the clipboard's
  # data to the end of the process, which LeakSanitizer reports. Leaks of our
  # own are caught by the same tests offscreen; here the other checks stay.
  if(QUORVIN_SANITIZE)
    set_tests_properties(wayland.${name} PROPERTIES
                         ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::detect_leaks=0")
  endif()
endforeach()
