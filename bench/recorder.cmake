# The recorder's capture chain (capture, meters, converter, generic filter, wave logger) on a
# file-fed ALSA PCM against a plain snd_pcm_readi + fwrite loop; dlsym finds alsa-lib's read
# behind the program's own pacing wrapper.
sonvelt_bench(recorder_bench SOURCES recorder_bench.cpp
              DEPS audio platform_media framework_data ${CMAKE_DL_LIBS})
