# The double-precision FFT engine against FFTW, complex and real transforms, and the
# single-precision real transform's members against FFTW's float transform.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
pkg_check_modules(FFTW3F REQUIRED IMPORTED_TARGET fftw3f)
sonvelt_bench(fft_bench SOURCES fft_bench.cpp DEPS kernels_fft_real kernels_fft_audio
  PkgConfig::FFTW3 PkgConfig::FFTW3F)
