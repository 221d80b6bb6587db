# The double-precision FFT engine against FFTW, complex and real transforms.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
sonvelt_bench(fft_bench SOURCES fft_bench.cpp DEPS kernels_fft_real PkgConfig::FFTW3)
