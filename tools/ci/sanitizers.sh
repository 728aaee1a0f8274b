#!/usr/bin/env bash
# The tests under the sanitizers, for CI (./test.sh runs this when CI=true). Each build has its
# own folder beside build/, in Debug with -O1 -g and without link-time optimisation, so that the
# reports point at lines and the runs stay fast enough for CI's time on two cores.
#   build-asan: AddressSanitizer and UndefinedBehaviorSanitizer, every test of ctest.
#   build-tsan: ThreadSanitizer, every test of ctest: every world the tests build runs its futures
#     on two threads at least.
# Any report ends that test with a failure, and so the run.
set -euo pipefail
cd "$(dirname "$0")/../.."

configure() { # folder, sanitizer
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DKARTSIM_SANITIZE="$2" -DKARTSIM_BUILD_BENCH=OFF
}

# Both for the runs and for the test listing that the build does, which runs the binaries too.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/ci/lsan.supp:print_suppressions=0"
# die_after_fork=0: QProcess starts ffmpeg by forking a process that has threads; the child only
# runs exec, which ThreadSanitizer cannot tell, and would otherwise stop it.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$PWD/tools/ci/tsan.supp"
export QT_QPA_PLATFORM=offscreen

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: every test"
configure build-asan address
cmake --build build-asan -j2
(cd build-asan && ctest --output-on-failure -j2 --timeout 1200)

echo "== ThreadSanitizer: every test"
configure build-tsan thread
cmake --build build-tsan -j2
(cd build-tsan && ctest --output-on-failure -j2 --timeout 1200)
