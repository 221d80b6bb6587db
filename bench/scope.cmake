# The scope's refresh and repaint, fed through its channel pins, against a plain QPainter polyline.
sonvelt_bench(scope_bench SOURCES scope_bench.cpp DEPS scope framework_data)
