"""Child processes owned by one test, and waiting on conditions with a deadline."""

import ctypes
import os
import select
import signal
import subprocess
import time

_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)

# How often a condition is looked at again; short against every deadline.
POLL_SECONDS = 0.02


def _die_with_parent():
    # If the test run itself is killed (a CTest timeout), nothing survives it.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


def wait_until(probe, timeout, what, detail=None):
    """Calls probe() until it returns something true; that value, or AssertionError after timeout s.

    detail, if given, is called for the failure message: what was seen last.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            seen = detail() if detail else value
            raise AssertionError(f"{what}: not within {timeout} s (last seen: {seen!r})")
        time.sleep(POLL_SECONDS)


def wait_equal(probe, expected, timeout, what):
    """Waits until probe() == expected; AssertionError with the last value seen after timeout s."""
    seen = [None]

    def matches():
        seen[:] = [probe()]
        return seen[0] == expected
    try:
        wait_until(matches, timeout, what)
    except AssertionError:
        raise AssertionError(f"{what}: expected {expected!r}, still {seen[0]!r} after {timeout} s") from None


def stays(probe, seconds, what):
    """Asserts that probe() stays true for the given seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = probe()
        assert value, f"{what}: stopped holding (seen: {value!r})"
        time.sleep(POLL_SECONDS)


def read_line(pipe, timeout, what):
    """The first line written to a pipe, waiting at most timeout s."""
    deadline = time.monotonic() + timeout
    data = b""
    while b"\n" not in data:
        left = deadline - time.monotonic()
        ready, _, _ = select.select([pipe], [], [], max(left, 0))
        if not ready:
            raise AssertionError(f"{what}: no line within {timeout} s (got {data!r})")
        chunk = os.read(pipe, 256)
        if not chunk:
            raise AssertionError(f"{what}: closed before a full line (got {data!r})")
        data += chunk
    return data.split(b"\n", 1)[0].decode()


class Processes:
    """Every process a test starts; stop_all() ends them by pid, newest first."""

    def __init__(self, log_dir):
        self.log_dir = log_dir
        self._started = []

    def start(self, name, args, env, **kwargs):
        """Starts args with output into <log_dir>/<name>.log."""
        with open(self.log_dir / f"{name}.log", "wb") as log:
            kwargs.setdefault("stdout", log)
            process = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stderr=log,
                                       preexec_fn=_die_with_parent, **kwargs)
        self._started.append(process)
        return process

    def stop_all(self):
        for process in reversed(self._started):
            stop(process)
        self._started.clear()


def stop(process, grace=2.0):
    """SIGTERM, then SIGKILL after grace s; always reaps the process."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def run(args, env, timeout=10, check=True, binary=False):
    """Runs a short-lived tool; its standard output, as text unless binary."""
    result = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=timeout, preexec_fn=_die_with_parent)
    if check and result.returncode != 0:
        raise AssertionError(f"{args} failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
    return result.stdout if binary else result.stdout.decode(errors="replace")
