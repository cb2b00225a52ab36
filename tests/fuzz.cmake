# The fuzz targets built without libFuzzer: a plain driver replays each seed
# corpus, so that the corpora run with every ctest (under the sanitizers in
# the sanitizer build). tests/fuzz/run.sh builds the same targets with clang
# and libFuzzer for the fuzzing runs.
set(fuzz_dir ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)

# One replay program per target, and one test that replays its folders.
function(quorvin_fuzz_replay name source)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LIBRARIES;CORPORA")
  add_executable(${name}_replay ${fuzz_dir}/ReplayMain.cpp ${fuzz_dir}/${source})
  target_link_libraries(${name}_replay PRIVATE ${arg_LIBRARIES})
  target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME FuzzCorpus.${name} COMMAND ${name}_replay ${arg_CORPORA})
endfunction()

quorvin_fuzz_replay(StrToFloat strtofloat_fuzzer.cpp
  LIBRARIES quorvin_platform_base
  CORPORA ${fuzz_dir}/corpus/strtofloat)
quorvin_fuzz_replay(NumberEntry entry_fuzzer.cpp
  LIBRARIES quorvin_forms quorvin_platform_headless
  CORPORA ${fuzz_dir}/corpus/entry)
quorvin_fuzz_replay(Rtf rtf_fuzzer.cpp
  LIBRARIES quorvin_richtext
  CORPORA ${fuzz_dir}/corpus/rtf ${CMAKE_CURRENT_SOURCE_DIR}/data/rtf)
