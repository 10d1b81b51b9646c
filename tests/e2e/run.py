"""Runs the end-to-end tests: every function test_*(rig) in tests/e2e/test_*.py.

    python3 tests/e2e/run.py [FILTER]

FILTER keeps the tests whose name ("test_startup::test_main_window") contains it. Prints one
line per test and a final "N passed, N failed"; exits with 1 when a test failed. A test that
raises rig.Skip is reported as skipped, with its reason, and counts neither way. A test's time
limit is 120 s unless the function has a `timeout` attribute. Started outside a private
network namespace, it starts itself again inside a new one (root only).
"""

import importlib.util
import os
import signal
import subprocess
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import rig  # noqa: E402

DEFAULT_TIMEOUT = 120


class TestTimeout(Exception):
    pass


def discover(name_filter):
    tests = []
    for path in sorted(HERE.glob("test_*.py")):
        found = importlib.util.spec_from_file_location(path.stem, path)
        module = importlib.util.module_from_spec(found)
        try:
            found.loader.exec_module(module)
        except Exception:
            # A module that does not load is one failed test, not the end of the run.
            error = traceback.format_exc()

            def broken(rig, error=error):
                raise ImportError(error)

            if name_filter in path.stem:
                tests.append((f"{path.stem}::(loading)", broken))
            continue
        for name, function in vars(module).items():
            full_name = f"{path.stem}::{name}"
            if name.startswith("test_") and callable(function) and name_filter in full_name:
                tests.append((full_name, function))
    return tests


def run_one(environment, name, function):
    """Runs one test; returns None when it passed, else the failure text (a rig.Skip when it
    was skipped)."""
    test_rig = None
    failure = None

    def expire(signum, frame):
        raise TestTimeout(f"the test ran longer than {limit} s")

    limit = getattr(function, "timeout", DEFAULT_TIMEOUT)
    signal.signal(signal.SIGALRM, expire)
    signal.alarm(limit)
    try:
        test_rig = rig.Rig(environment, name.replace("::", "-"))
        function(test_rig)
    except rig.Skip as skip:
        failure = skip
    except Exception:
        failure = traceback.format_exc()
    finally:
        signal.alarm(0)
    if test_rig is not None:
        if failure and not isinstance(failure, rig.Skip):
            try:
                test_rig.screenshot("failure")
            except Exception:
                pass
        try:
            test_rig.teardown(failed=failure is not None and not isinstance(failure, rig.Skip))
        except Exception:
            failure = (failure if isinstance(failure, str) else "") + "teardown: " + \
                traceback.format_exc()
    return failure


def main(argv):
    if not rig.isolated():
        if os.geteuid() != 0 or os.environ.get("SONORIN_E2E_UNSHARED"):
            print("the end-to-end tests need a private network namespace (run them as root)",
                  file=sys.stderr)
            return 1
        if os.environ.get("SONORIN_RIG") != "1":
            # Out here, where a missing package can still be downloaded.
            setup = rig.ROOT / "scripts" / "setup"
            if subprocess.run([str(setup), str(rig.default_prefix())]).returncode != 0:
                return 1
        sys.stdout.flush()
        os.environ["SONORIN_E2E_UNSHARED"] = "1"
        os.execvp("unshare", ["unshare", "--mount", "--net", "--", sys.executable, *argv])
    name_filter = argv[1] if len(argv) > 1 else ""
    tests = discover(name_filter)
    if not tests:
        print(f"no end-to-end test matches {name_filter!r}")
        print("0 passed, 0 failed")
        return 1
    # Ended from outside (Ctrl-C, the test script's clean-up): still clean up here.
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(128 + signum))
    passed = failed = 0
    try:
        environment = rig.Environment()
    except Exception as error:
        print(f"the test environment did not start: {error}")
        print("0 passed, 1 failed")
        return 1
    try:
        for name, function in tests:
            start = time.monotonic()
            failure = run_one(environment, name, function)
            seconds = time.monotonic() - start
            if isinstance(failure, rig.Skip):
                print(f"SKIP {name}: {failure}")
            elif failure:
                failed += 1
                print(f"FAIL {name} ({seconds:.1f} s)")
                print("    " + failure.rstrip().replace("\n", "\n    "))
            else:
                passed += 1
                print(f"PASS {name} ({seconds:.1f} s)")
            sys.stdout.flush()
    finally:
        environment.close()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
