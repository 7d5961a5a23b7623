# The playback engine: decoder, audio outputs, transport, lyric timing and the engine calls.
mwex_library(mwex_playback
  SOURCES
    streamrange.cpp streamrange.h
    decoder.cpp decoder.h
    audiooutput.cpp audiooutput.h
    deviceoutput.cpp deviceoutput.h
    transport.cpp transport.h
    lyrictiming.cpp lyrictiming.h
    engine.cpp engine.h
  DEPS mwex_lyrics mwex_common Qt6::Core Qt6::Multimedia PkgConfig::MPG123)

if(MWEX_TESTS OR MWEX_BENCH)
  add_library(mwex_playback_testsongs STATIC tests/testsongs.cpp tests/testsongs.h)
  target_include_directories(mwex_playback_testsongs PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(mwex_playback_testsongs PUBLIC Qt6::Core)
endif()

mwex_test(playback_engine_tests
  SOURCES tests/engine_decoder_test.cpp tests/engine_transport_test.cpp tests/engine_test.cpp
          tests/engine_lyrics_test.cpp tests/lyrictiming_test.cpp tests/enginetesting.h
  DEPS mwex_playback mwex_playback_testsongs mwex_testsupport)

mwex_benchmark(playback_engine_bench
  SOURCES bench/engine_bench.cpp
  DEPS mwex_playback mwex_playback_testsongs)

mwex_fuzzer(playback_lyrictiming_fuzz SOURCES fuzz/lyrictiming_fuzz.cpp DEPS mwex_playback)
mwex_fuzzer(playback_decoder_fuzz SOURCES fuzz/decoder_fuzz.cpp DEPS mwex_playback)
