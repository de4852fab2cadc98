#!/usr/bin/env python3
"""CPU the viewer takes while it is shown and idle (nothing changes: the paced
loop leaves the kept picture on screen), while the pointer sweeps across it (a
new map every frame, at most one per refresh), and while Alt+Tab has minimised
it, in percent of one core (all its threads), each over a few seconds. Linux
build; run under an X display (tools/with-xvfb.sh gives 1920 x 1080), with or
without a window manager:

  tools/with-xvfb.sh /usr/bin/python3 bench/hidden_cpu.py build-linux/tessaline [seconds]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime + stime


def percent(pid, seconds):
    c0, t0 = cpu_seconds(pid), time.time()
    time.sleep(seconds)
    return 100 * (cpu_seconds(pid) - c0) / (time.time() - t0)


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True).stdout.strip()


def main():
    viewer = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 5
    folder = tempfile.mkdtemp(prefix="tess-cpu-")
    xdotool("mousemove", "960", "540")
    proc = subprocess.Popen([viewer], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if xdotool("search", "--onlyvisible", "--name", "^Tessaline$"):
                break
            time.sleep(0.1)
        time.sleep(1)
        shown = percent(proc.pid, seconds)
        sweep = subprocess.Popen(["sh", "-c", "while :; do for x in 100 500 900 1300 1700 1300 900 500; do "
                                  "xdotool mousemove $x 540; sleep 0.02; done; done"])
        moving = percent(proc.pid, seconds)
        sweep.kill()
        sweep.wait()
        xdotool("mousemove", "960", "540")
        time.sleep(0.5)
        xdotool("keydown", "alt", "keydown", "Tab")
        time.sleep(0.5)
        xdotool("keyup", "Tab", "keyup", "alt")
        time.sleep(1)
        hidden = percent(proc.pid, seconds)
        print("%-10s %8s" % ("viewer", "CPU %"))
        print("%-10s %8.1f" % ("idle", shown))
        print("%-10s %8.1f" % ("moving", moving))
        print("%-10s %8.1f" % ("minimised", hidden))
    finally:
        proc.kill()
        proc.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
