# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
.PHONY: all build run test package bench clean

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

clean:
	rm -rf build
