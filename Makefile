# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test.
.PHONY: all build run test clean

all: build

build:
	cmake --preset default
	cmake --build --preset default

run: build
	./build/default/app/hilo

test: build
	ctest --preset default

clean:
	rm -rf build
