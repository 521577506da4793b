# make run    builds Orvane and starts it under Wine (screenshots under build/run/ without a display)
# make test   builds everything and runs every test
# make dist   writes dist/: the shipped 32-bit programs and their SHA256SUMS
# All three install what is missing first (scripts/bootstrap.sh).

CMAKE ?= cmake
JOBS ?= 2

.PHONY: run test dist bootstrap host host-asan win64 win32 clean

run: bootstrap win64
	scripts/run.sh build/win64

test: bootstrap host host-asan win64 win32
	scripts/test.sh

dist: bootstrap win32
	scripts/dist.sh build/win32 dist

bootstrap:
	scripts/bootstrap.sh

host host-asan win64 win32:
	@[ -f build/$@/build.ninja ] || $(CMAKE) --preset $@ >/dev/null
	$(CMAKE) --build build/$@ -j$(JOBS)

clean:
	rm -rf build dist
