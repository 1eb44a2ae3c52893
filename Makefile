# Quenora's developer commands. `make run` and `make test` do all the set-up on a fresh
# Debian 12 machine (tools/bootstrap.sh installs what is missing, as root).

.PHONY: all bootstrap native win32 win64 run test fuzz bench dist test-dist format clean

# Seconds per target for `make fuzz` (make fuzz FUZZ_SECONDS=300).
FUZZ_SECONDS ?= 60

all: win32

bootstrap:
	@tools/bootstrap.sh

native win32 win64: bootstrap
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@

run: win32
	@tools/run.sh

test: bootstrap
	@tools/test.sh

fuzz: bootstrap
	@tools/fuzz.sh $(FUZZ_SECONDS)

bench: win32 win64
	@tools/bench.sh

dist: win32 win64
	@tools/dist.sh

test-dist: dist
	@tools/test-dist.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf build
