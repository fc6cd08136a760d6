"""Ctrl-C stops a long computation with KeyboardInterrupt raised by the compiled call itself."""

import os
import subprocess
import sys

import pytest

# Run in a child interpreter: a profile function records whether the compiled
# call (compute, process or comfort) returned or raised, and a thread sends SIGINT once
# the call has begun (the main thread has left the profile function that saw
# it start). Each call has work enough for a second or more, so the signal
# arrives long before its end. A call that ignored it would return normally,
# and the KeyboardInterrupt would come after it, in the profile function called
# for its return, before that records anything.
CHILD = r"""
import os, signal, sys, threading, time
import numpy as np, pandas as pd
import humitrax
from humitrax import _humitrax

rows = 1 << 21
dry_bulb = np.linspace(-20.0, 45.0, rows)
calls = {
    "state": lambda: humitrax.state(dry_bulb, altitude=800.0, wet_bulb=dry_bulb - 4.0, threads=2),
    "state_one_thread": lambda: humitrax.state(dry_bulb, pressure=95.0, relative_humidity=60.0, threads=1),
    "frame": lambda: humitrax.frame(pd.DataFrame({"dry_bulb": dry_bulb, "pressure": 101.325,
                                                  "relative_humidity": 40.0})),
    "heat": lambda: humitrax.heat(dry_bulb=dry_bulb[: rows // 2], relative_humidity=50.0, flow=1.0,
                                  to=50.0, pressure=101.325),
    "comfort": lambda: humitrax.comfort(dry_bulb[: rows // 4], pressure=101.325, relative_humidity=50.0,
                                        met=1.2, clo=0.5, threads=2),
}
compiled = (_humitrax.compute, _humitrax.process, _humitrax.comfort)
begun = threading.Event()
ends = []

def profile(frame, event, arg):
    if any(arg is function for function in compiled):
        if event == "c_call":
            begun.set()
        else:
            ends.append(event)

def interrupt():
    begun.wait()
    main = threading.main_thread().ident
    while sys._current_frames()[main].f_code is profile.__code__:
        time.sleep(0.001)
    os.kill(os.getpid(), signal.SIGINT)

threading.Thread(target=interrupt, daemon=True).start()
sys.setprofile(profile)
try:
    calls[sys.argv[1]]()
    print("finished")
except KeyboardInterrupt:
    print("interrupted")
sys.setprofile(None)
print(*ends)
"""


@pytest.mark.parametrize("call", ["state", "state_one_thread", "frame", "heat", "comfort"])
def test_sigint_during_a_call_raises_keyboard_interrupt_from_it(call, tmp_path):
    done = subprocess.run([sys.executable, "-c", CHILD, call], capture_output=True, text=True,
                          cwd=tmp_path, env=os.environ, timeout=240)
    assert done.returncode == 0, done.stderr
    # "c_exception": the compiled call itself raised.
    assert done.stdout.split() == ["interrupted", "c_exception"]
