"""Follows desktop programs from their start until they are idle, for bench/compare-gui and
bench/window-wine.

    follow-to-idle.py [--medians FILE] WORK RUNS ENTRIES NAME=PROGRAM [NAME=PROGRAM ...]

PROGRAM is a JSON list, the command line, or an object {"argv": [...], "follow": TEXT}: then the
process followed is the newest one whose program name (its first argument) holds TEXT (a
program that Wine's launcher starts in a process of its own, or becomes itself where wine64 runs
the program in the process it was started in), not necessarily the one started.

Starts each program in turn (RUNS runs each, alternating), each with a fresh home and data
folder under WORK, and follows its process until it is idle: no more than 10 ms of CPU time in
one second. Prints, per program, the median of the runs of its peak memory (VmHWM), its CPU
seconds (user + system, all threads) and its wall time to idle (up to the last second that used
CPU), and the first program's figures as a ratio of each other's. --medians also writes the
medians to FILE as JSON ({NAME: [peak KiB, CPU s, wall s]}) for a script to work on.
"""
import json, os, statistics, subprocess, sys, time

args = sys.argv[1:]
medians_file = None
if args[:1] == ["--medians"]:
    medians_file, args = args[1], args[2:]
work, runs, entries = args[0], int(args[1]), int(args[2])
programs = []
for arg in args[3:]:
    name, program = arg.split("=", 1)
    program = json.loads(program)
    programs.append((name, program if isinstance(program, dict) else {"argv": program}))
tick = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick  # utime, stime of every thread


def peak_kib(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def find_process(text):
    """The newest process whose first argument holds `text`, or None. The one started counts too:
    its first argument is Wine's launcher's until it becomes the program."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            program = open(f"/proc/{entry}/cmdline", "rb").read().split(b"\0")[0]
            begun = int(open(f"/proc/{entry}/stat").read().rsplit(")", 1)[1].split()[19])
        except OSError:
            continue
        if text.encode() in program:
            found.append((begun, int(entry)))
    return max(found)[1] if found else None


def run_once(name, program, n):
    argv, follow = program["argv"], program.get("follow")
    home = os.path.join(work, f"{name}-{n}")
    os.makedirs(home)
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    start = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    last_cpu, last_busy, window = 0.0, start, []
    pid = None if follow else proc.pid
    try:
        while pid is None:
            time.sleep(0.02)
            pid = find_process(follow)
            if time.monotonic() - start > 60:
                raise SystemExit(f"{name}: no process with {follow!r} after 60 s")
        while proc.poll() is None or pid != proc.pid:
            time.sleep(0.02)
            now = time.monotonic()
            try:
                cpu, peak = cpu_seconds(pid), peak_kib(pid)
            except OSError:
                raise SystemExit(f"{name} ended by itself")
            if cpu > last_cpu:
                last_busy = now
            last_cpu = cpu
            window.append((now, cpu))
            while window and window[0][0] < now - 1.0:
                window.pop(0)
            idle = now - start > 1.5 and window[-1][1] - window[0][1] <= 0.01
            if idle and now - window[0][0] >= 0.95:
                return peak, cpu, last_busy - start
            if now - start > 600:
                raise SystemExit(f"{name} was not idle after 600 s")
        raise SystemExit(f"{name} ended by itself (status {proc.returncode})")
    finally:
        if pid is not None and pid != proc.pid:
            try:
                os.kill(pid, 15)
            except OSError:
                pass
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


results = {name: [] for name, _ in programs}
for n in range(runs):
    for name, program in programs:
        results[name].append(run_once(name, program, n))
        peak, cpu, wall = results[name][-1]
        print(f"  run {n + 1} {name:<16} {peak / 1024:7.1f} MiB  {cpu:6.2f} s CPU  "
              f"{wall:6.2f} s to idle", flush=True)

medians = {name: [statistics.median(r[i] for r in rows) for i in range(3)]
           for name, rows in results.items()}
print(f"\n{'median of ' + str(runs):<20}{'peak memory':>16}{'CPU seconds':>14}{'wall to idle':>14}")
for name, (peak, cpu, wall) in medians.items():
    print(f"{name:<20}{peak / 1024:12.1f} MiB{cpu:12.2f} s{wall:12.2f} s"
          f"   ({peak * 1024 / entries:.0f} bytes per entry)")
if medians_file:
    with open(medians_file, "w") as out:
        json.dump(medians, out)
first_name, first = programs[0][0], medians[programs[0][0]]
for name, other in list(medians.items())[1:]:
    ratios = [a / b if b else float("nan") for a, b in zip(first, other)]
    label = f"{first_name}/{name}"
    print(f"{label:<20}{ratios[0]:14.2f}x{ratios[1]:13.2f}x{ratios[2]:13.2f}x")
