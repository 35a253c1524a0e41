# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
.PHONY: all build run test package bench clean sanitize fuzz tidy

all: build

build:
	cmake --preset default
	cmake --build --preset default

run: build
	./build/default/app/hilo

test: build
	ctest --preset default

# Shipping: the Debian package from the default build, and the benchmark against the I/O floor.
package: build
	cd build/default && cpack -G DEB

bench:
	bash bench/run

# Hardening: the whole suite under ASan+UBSan, the fuzz targets (FUZZ_SECONDS each), clang-tidy.
sanitize:
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

fuzz:
	tools/fuzz.sh

tidy:
	tools/tidy.sh

clean:
	rm -rf build
