# Rich text document model, RTF writer and reader, and the reader's fuzz corpus.
add_executable(richtext_tests
  RichTextTest.cpp
  RtfTest.cpp
  RtfInteropTest.cpp
)
target_link_libraries(richtext_tests PRIVATE quorvin_richtext GTest::gtest_main)
target_compile_definitions(richtext_tests PRIVATE
  QUORVIN_RTF_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/rtf"
  QUORVIN_RTF_CORPUS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/rtf"
)
gtest_discover_tests(richtext_tests)
