# Vexorin: `make run` builds and starts the program, `make test` builds and runs the tests.
# Every target first installs the Debian packages a fresh machine lacks.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
MUTANTS_BUILD ?= build-mutants
JOBS       ?= $(shell nproc)
XVFB       := xvfb-run -a -s "-screen 0 1280x1024x24"

PACKAGES := cmake g++ make qt6-base-dev qt6-base-private-dev libqt6opengl6-dev qt6-image-formats-plugins \
            libgl1-mesa-dev libfontconfig-dev pkgconf libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxext-dev \
            xvfb xauth x11-utils xdotool \
            imagemagick x11-xserver-utils trayer clang-14 libclang-rt-14-dev fonts-dejavu-core \
            dpkg-dev file desktop-file-utils appstream

# Only the benchmarks need these: the cube's alpha path is measured under a compositor, the
# start-up benchmark waits for first paints through X Damage.
BENCH_PACKAGES := xcompmgr libxdamage-dev

# Only tools/desktops.sh needs these: the desktops the cube is checked on.
DESKTOP_PACKAGES := kwin-x11 mutter xfwm4 xfconf xfce4-panel openbox tint2 picom xcompmgr weston qt6-wayland dbus-x11 \
                    xserver-xorg-core xserver-xorg-video-dummy x11-utils x11-xserver-utils xdotool imagemagick

.PHONY: all deps bench-deps desktop-deps desktops configure build run test test-plain test-asan package install bench fuzz mutants clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi

bench-deps:
	@missing=$$(for p in $(BENCH_PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi

desktop-deps:
	@missing=$$(for p in $(DESKTOP_PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi

# The cube on each desktop installed here (slow; not part of `make test`).
desktops: build desktop-deps
	tools/desktops.sh $(BUILD)

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run.sh $(BUILD)

test: test-plain test-asan

test-plain: build
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVEXORIN_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  $(XVFB) ctest --output-on-failure -j $(JOBS)

# build/vexorin_<version>_<arch>.deb, its dependencies read from the libraries it links.
package: build
	cd $(BUILD) && cpack -G DEB

# Installs under PREFIX (default /usr/local); DESTDIR stages the tree elsewhere.
PREFIX ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

bench: bench-deps build
	@tools/bench.sh $(BUILD)

fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVEXORIN_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_texture_readers
	mkdir -p $(FUZZ_BUILD)/fuzz-corpus
	$(FUZZ_BUILD)/fuzz_texture_readers -max_total_time=$${FUZZ_SECONDS:-60} -rss_limit_mb=2048 \
	  -max_len=65536 $(FUZZ_BUILD)/fuzz-corpus fuzz/corpus

# Each fault of tools/mutants.txt in turn: rebuilds what it touches, runs the tests that
# ought to catch it, puts the file back. Fails under 90% caught.
mutants: deps
	python3 tools/mutants.py --build $(MUTANTS_BUILD) --jobs $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(MUTANTS_BUILD)
