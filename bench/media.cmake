# Capture and render through the media stand-in against plain alsa-lib loops over the same PCM.
sonvelt_bench(media_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/media_bench.cpp DEPS platform_media)
