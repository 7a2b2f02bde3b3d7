#!/usr/bin/env python3
"""Prints one table of the program's figures against their goals: decoder throughput, trace cost
per sample, CPU share at a real unit's pace, at full line rate and idle beside the floor (the same
window and frames with nothing decoded), wake-ups, peak memory, start-up times and the latency
from a status byte on the line to the paint that shows the new SpO2. Run by bench/run after the
release build."""

import json
import os
import pty
import statistics
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
SAMPLES = int(os.environ.get("LATENCY_SAMPLES", "1000"))


def benchmark(binary, name):
    out = subprocess.run([os.path.join(BUILD, "bench", binary), f"--benchmark_filter={name}",
                          "--benchmark_format=json", "--benchmark_repetitions=3",
                          "--benchmark_report_aggregates_only=true"],
                         capture_output=True, text=True, check=True, env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
    for b in json.loads(out.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            return b
    raise RuntimeError(name)


def program_load(seconds, *sim_args, beside_floor=False):
    """CPU share, wake-ups and peak memory of the program fed by the simulator; beside the floor:
    also the floor's CPU share over the same seconds."""
    env = {**os.environ, "TRELVO_BESIDE_FLOOR": "1"} if beside_floor else None
    out = subprocess.run([os.path.join(ROOT, "bench", "run-program"), str(seconds), *sim_args],
                         capture_output=True, text=True, check=True, env=env).stdout
    cpu = float(out.split("CPU share of one core")[1].split("%")[0])
    wakeups = float(out.split("event-loop wake-ups")[1].split("per")[0])
    peak = float(out.split("peak resident memory")[1].split("MB")[0])
    if beside_floor:
        floor = float(out.split("floor beside it")[1].split("%")[0])
        median = float(out.split("10-s windows")[1].split()[0])
        return cpu, wakeups, peak, floor, median
    return cpu, wakeups, peak


def report_seconds():
    """A simulated ten-hour night, end to end (median of three runs): the record file alone (7,200
    lines: summary and PNG), and with its per-second file (36,000 rows: summary, PNG and every
    export: CSV, EDF+, OSCAR)."""
    work = tempfile.mkdtemp(prefix="trelvo-report-")
    night = os.path.join(work, "night.txt")
    subprocess.run([os.path.join(BUILD, "tests", "make_night"), night, "10", "21"], check=True)
    report = os.path.join(BUILD, "tools", "trelvo-report")

    def median_run(args):
        runs = []
        for _ in range(3):
            start = time.monotonic()
            subprocess.run([report, *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            runs.append(time.monotonic() - start)
        return statistics.median(runs)

    exports = ["--csv", os.path.join(work, "out.csv"), "--edf", os.path.join(work, "night.edf"),
               "--oscar", os.path.join(work, "oscar")]
    per_second = median_run([night, *exports])
    edf = median_run([night, "--edf", os.path.join(work, "wave.edf")])
    size = os.path.getsize(os.path.join(work, "night.csv"))
    with_pdf = median_run([night, "--pdf", os.path.join(work, "night.pdf"), "--events", os.path.join(work, "ev.csv")])
    os.rename(os.path.join(work, "night.csv"), os.path.join(work, "aside.csv"))
    alone = median_run([night])

    # Thirty simulated nights of eight hours in one folder: a row each, a picture each, the trend.
    month = os.path.join(work, "month")
    os.mkdir(month)
    makers = [subprocess.Popen([os.path.join(BUILD, "tests", "make_night"), os.path.join(month, f"night{n:02d}.txt"),
                                "8", "22", str(n)]) for n in range(30)]
    for maker in makers:
        maker.wait()
    nights = median_run([month])
    # The same with the report for the doctor: the PDF's share is the difference.
    doctor_pdf = os.path.join(work, "doctor.pdf")
    doctor = median_run([month, "--pdf", doctor_pdf]) - nights
    return alone, per_second, with_pdf, nights, edf, size, doctor, os.path.getsize(doctor_pdf)


def report_rows():
    alone, per_second, with_pdf, nights, edf, size, doctor, doctor_size = report_seconds()
    recording = benchmark("recording_bench", "BM_RecordingOneSecondWithWave")
    share = recording["real_time"] / 1e9 * 100  # ns per second of recording, as a share of one core
    return [
        ("recording the per-second file with wave: CPU per second of recording", f"{recording['real_time'] / 1000:.1f} µs",
         "", True),
        ("  the same as a share of one core", f"{share:.4f} %", "< 0.01 %", share < 0.01),
        ("per-second file of a 10-hour night with wave", f"{size / 1e6:.1f} MB", "< 20 MB", size < 20e6),
        ("EDF+ with Pleth of that night", f"{edf * 1000:.0f} ms", "< 3 s", edf < 3.0),
        ("report of a 10-hour night, record file alone (7,200 lines)", f"{alone * 1000:.0f} ms", "< 1 s", alone < 1.0),
        ("report and CSV, EDF+, OSCAR of a 10-hour per-second night (36,000 rows)", f"{per_second * 1000:.0f} ms",
         "< 1 s", per_second < 1.0),
        ("report with PDF and event list, the same night", f"{with_pdf * 1000:.0f} ms", "< 1 s", with_pdf < 1.0),
        ("30 per-second nights of 8 hours: table, 30 pictures, trend", f"{nights * 1000:.0f} ms", "< 3 s",
         nights < 3.0),
        ("  and the report for the doctor over them, one PDF of 31 pages", f"{doctor * 1000:.0f} ms", "≤ 5 s",
         doctor <= 5.0),
        ("  its size", f"{doctor_size / 1e6:.2f} MB", "", True),
    ]


def print_table(rows):
    width = max(len(r[0]) for r in rows)
    print(f"{'figure':<{width}}  {'measured':>12}  {'goal':>10}")
    for name, value, goal, met in rows:
        print(f"{name:<{width}}  {value:>12}  {goal:>10}  {'' if met else 'MISSED'}")


def xdo(display, *args):
    return subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": display}, capture_output=True,
                          text=True).stdout.strip()


def wait_for(predicate, timeout):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.01)
    return None


def events(trace):
    if not os.path.exists(trace):
        return []
    result = []
    for line in open(trace):
        ns, name, value = line.split()
        result.append((int(ns), name, int(value)))
    return result


def first(trace, name, after=0):
    return next((ns for ns, n, _ in events(trace) if n == name and ns >= after), None)


def launch(conf, screen="800x700", env_extra=None):
    """The release program under Xvfb, its COM ports and sections as conf(link, work) writes them,
    with the trace on. Returns the work folder, the unit's side of the line, the display, the
    trace file, Xvfb and the program, and the moment of the launch."""
    work = tempfile.mkdtemp(prefix="trelvo-figures-")
    master, slave = pty.openpty()
    tty.setraw(slave)
    link = os.path.join(work, "unit")
    os.symlink(os.ttyname(slave), link)
    os.makedirs(os.path.join(work, "config", "Trelvo"))
    with open(os.path.join(work, "config", "Trelvo", "Trelvo.conf"), "w") as f:
        f.write(conf(link, work))
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{screen}x24", "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    display = ":" + os.read(read_fd, 32).decode().strip()
    trace = os.path.join(work, "trace")
    env = {**os.environ, "DISPLAY": display, "XDG_CONFIG_HOME": os.path.join(work, "config"),
           "XDG_RUNTIME_DIR": work, "TRELVO_TRACE": trace, **(env_extra or {})}
    launched = time.monotonic_ns()
    program = subprocess.Popen([os.path.join(BUILD, "app", "trelvo")], env=env, stderr=subprocess.DEVNULL)
    return master, display, trace, xvfb, program, launched


def end_run(xvfb, program):
    program.terminate()
    program.wait(10)
    xvfb.terminate()
    xvfb.wait(10)


def startup_and_latency():
    def conf(link, work):
        # Eight ports to probe, one of them the unit.
        return "[Ports]\n" + "".join(f"COM{n}={link if n == 1 else os.path.join(work, f'missing{n}')}\n"
                                      for n in range(1, 9))
    master, display, trace, xvfb, program, launched = launch(conf)
    try:
        shown = wait_for(lambda: first(trace, "start-window-shown"), 10)
        start = wait_for(lambda: xdo(display, "search", "--onlyvisible", "--name", "^Korvant GmbH$"), 5)
        xdo(display, "mousemove", "--window", start.split()[0], "220", "212", "click", "1")
        ok = wait_for(lambda: first(trace, "ok-pressed"), 5)
        main = wait_for(lambda: first(trace, "main-window-shown"), 10)
        time.sleep(1.0)

        written = []
        feed_unit(master, threading.Event(), written, SAMPLES)
        time.sleep(0.5)
        measured = paint_latencies(trace, written)
    finally:
        end_run(xvfb, program)
    p50 = statistics.median(measured)
    p99, _ = p99_of(measured)
    return (shown - launched) / 1e6, (main - ok) / 1e6, p50, p99, len(measured)


def feed_unit(master, stop, latencies, count=None):
    """The unit as it really sends: wave samples at line rate without a pause, and a reading (a
    different SpO2 each time) in the middle of them every 40 bytes or so, until stop is set (or
    count readings are sent). Each reading's moment and value go to latencies."""
    byte_time = 1 / 960
    next_at = time.monotonic()
    i = 0
    while not stop.is_set() and (count is None or i < count):
        for b in range(38):
            next_at += byte_time
            time.sleep(max(0.0, next_at - time.monotonic()))
            os.write(master, bytes([20 + b * 5]))
        value = 90 + i % 10
        latencies.append((time.monotonic_ns(), value))
        os.write(master, bytes([249, value, 251, 0]))
        next_at += 4 * byte_time
        i += 1


def paint_latencies(trace, written):
    texts = [(ns, v) for ns, n, v in events(trace) if n == "spo2-paint"]
    measured = []
    for at, value in written:
        seen = next((ns for ns, v in texts if v == value and ns >= at), None)
        if seen is not None:
            measured.append((seen - at) / 1e6)
    return sorted(measured)


def p99_of(measured):
    if not measured:  # a load shorter than the window's first second
        return float("nan"), 0
    return measured[min(len(measured) - 1, int(len(measured) * 0.99))], len(measured)


def main_thread_cpu_ns(pid):
    with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
        return int(f.read().split()[0])


def peak_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmHWM")) / 1024


def launch_on_nights(folder, cache):
    """The program with its nights folder set and a cache of its own."""
    master, display, trace, xvfb, program, _ = launch(
        lambda link, work: f"[Ports]\nCOM1={link}\n[Naechte]\nOrdner={folder}\n", "1400x1000",
        {"XDG_CACHE_HOME": cache})
    return master, display, trace, xvfb, program


def past_start_window(display, trace):
    """OK on the start window; the main window, a second after it is shown."""
    wait_for(lambda: first(trace, "start-window-shown"), 10)
    start = wait_for(lambda: xdo(display, "search", "--onlyvisible", "--name", "^Korvant GmbH$"), 5)
    xdo(display, "mousemove", "--window", start.split()[0], "220", "212", "click", "1")
    wait_for(lambda: first(trace, "main-window-shown"), 10)
    main = wait_for(lambda: xdo(display, "search", "--onlyvisible", "--name", "^TRELVO$"), 5).split()[0]
    time.sleep(1.0)
    return main


def nights_window(folder, cache, seconds_before=30):
    """The program fed at line rate opens the nights window on a folder: the time to the listing,
    the live display's p99 latency and main-thread CPU before and while it loads, the peak memory."""
    master, display, trace, xvfb, program = launch_on_nights(folder, cache)
    try:
        main = past_start_window(display, trace)
        stop, before = threading.Event(), []
        feeder = threading.Thread(target=feed_unit, args=(master, stop, before))
        cpu0, t0 = main_thread_cpu_ns(program.pid), time.monotonic_ns()
        feeder.start()
        time.sleep(seconds_before)
        stop.set()
        feeder.join()
        cpu_before = (main_thread_cpu_ns(program.pid) - cpu0) / (time.monotonic_ns() - t0) * 100
        p99_before, n_before = p99_of(paint_latencies(trace, before))

        stop, during = threading.Event(), []
        feeder = threading.Thread(target=feed_unit, args=(master, stop, during))
        feeder.start()
        time.sleep(1.0)
        opened = time.monotonic_ns()
        xdo(display, "windowfocus", main, "sleep", "0.2", "key", "ctrl+n")
        # The window's own first second (made, laid out, painted) is not the loading.
        time.sleep(1.0)
        cpu0, loading = main_thread_cpu_ns(program.pid), time.monotonic_ns()
        listed = wait_for(lambda: first(trace, "nights-listed", opened), 600)
        stop.set()
        feeder.join()
        spent, span = main_thread_cpu_ns(program.pid) - cpu0, max(1, time.monotonic_ns() - loading)
        cpu_during = spent / span * 100
        # What the load added to the display's thread, in all: a short load shows its fixed costs
        # (the table filled, the newest night chosen) as a large share of a short time.
        added_ms = (spent - cpu_before / 100 * span) / 1e6
        # Apart: the window's own first second (made, laid out, painted on the display's thread),
        # and the loading after it.
        opening = paint_latencies(trace, [w for w in during if opened <= w[0] < loading])
        p99_during, n_during = p99_of(paint_latencies(trace, [w for w in during if w[0] >= loading]))
        nights = next(v for ns, n, v in events(trace) if n == "nights-listed" and ns == listed)
        peak = peak_mb(program.pid)
        choose_ms, event_ms = choosing(display, trace, listed)
    finally:
        end_run(xvfb, program)
    return {"seconds": (listed - opened) / 1e9 - 0.2, "nights": nights, "cpu_before": cpu_before,
            "cpu_during": cpu_during, "p99_before": p99_before, "n_before": n_before, "p99_during": p99_during,
            "n_during": n_during, "peak": peak, "choose_ms": choose_ms, "event_ms": event_ms,
            "opening_ms": max(opening, default=float("nan")), "n_opening": len(opening), "added_ms": added_ms,
            "loading_s": span / 1e9}


def choosing(display, trace, listed):
    """The window's reaction with the folder listed: from the key that chooses the next night in
    the table (Down) to that night shown (read, counted, its events and figures beside the chart),
    and from F3 to the next event shown; the slowest of several, in ms."""
    window = wait_for(lambda: xdo(display, "search", "--onlyvisible", "--name", "^(Nights|Nächte)"), 5).split()[0]
    wait_for(lambda: first(trace, "night-shown", listed), 30)
    nights, moves = [], []
    for _ in range(6):
        pressed = time.monotonic_ns()
        xdo(display, "windowfocus", window, "key", "Down")
        shown = wait_for(lambda: first(trace, "night-shown", pressed), 10)
        if shown:
            nights.append((shown - pressed) / 1e6)
        for _ in range(4):
            pressed = time.monotonic_ns()
            xdo(display, "key", "F3")
            moved = wait_for(lambda: first(trace, "event-shown", pressed), 2)
            if moved:
                moves.append((moved - pressed) / 1e6)
    return max(nights, default=float("nan")), max(moves, default=float("nan"))


def end_while_listing(folder):
    """File > End while the nights window lists a folder that also holds a pipe named like a
    night: the time until the program has ended."""
    os.mkfifo(os.path.join(folder, "pipe.txt"))
    cache = tempfile.mkdtemp(prefix="trelvo-cache-")
    master, display, trace, xvfb, program = launch_on_nights(folder, cache)
    try:
        main = past_start_window(display, trace)
        opened = time.monotonic_ns()
        xdo(display, "windowfocus", main, "sleep", "0.2", "key", "ctrl+n")
        # The nights window opens over the main window: moved aside, then File > End.
        nights = wait_for(lambda: xdo(display, "search", "--onlyvisible", "--name", "^Nights$"), 5).split()[0]
        xdo(display, "windowmove", nights, "900", "0")
        xdo(display, "windowfocus", main, "sleep", "0.2")
        xdo(display, "mousemove", "--window", main, "20", "10", "click", "1")
        time.sleep(0.3)
        listing = first(trace, "nights-listed", opened) is None
        ended = time.monotonic_ns()
        xdo(display, "key", "Down", "Down", "Return")
        program.wait(60)
        return (time.monotonic_ns() - ended) / 1e9, listing
    finally:
        if program.poll() is None:
            program.kill()
        xvfb.terminate()
        xvfb.wait(10)
        os.unlink(os.path.join(folder, "pipe.txt"))


def spread(values, unit="s", scale=1.0, digits=2):
    """min / median / max of interleaved runs."""
    v = sorted(x * scale for x in values)
    return f"{v[0]:.{digits}f} / {statistics.median(v):.{digits}f} / {v[-1]:.{digits}f} {unit}"


def timed(args, env=None):
    start = time.monotonic()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    return time.monotonic() - start


def listing_rows(folder, pairs=5):
    """The library's first listing of the folder against a plain reader of the same files (the
    floor: bench/plain_reader), in interleaved pairs, so the ratio is measured in each pair; the
    listing again from the cache it filled; trelvo-report over the folder with an empty cache and
    again with the cache filled (no pictures: the table alone), in pairs too."""
    reader = os.path.join(BUILD, "bench", "plain_reader")
    lister = os.path.join(BUILD, "bench", "list_nights")
    report = os.path.join(BUILD, "tools", "trelvo-report")
    work = tempfile.mkdtemp(prefix="trelvo-listing-")
    cache = os.path.join(work, "cache.sqlite")
    # The files in the page cache first, as after a copy: the disk is not what is measured.
    subprocess.run([reader, folder, "--quiet"], check=True, stdout=subprocess.DEVNULL)
    plain, first, again, ratios, peaks = [], [], [], [], []
    for _ in range(pairs):
        out = subprocess.run([reader, folder, "--quiet"], capture_output=True, text=True, check=True).stdout
        plain.append(float(out.split(", ")[-1].split(" s")[0]))
        out = subprocess.run([lister, folder, cache], capture_output=True, text=True, check=True).stdout
        times = [float(line.split(", ")[-1].split(" s")[0]) for line in out.splitlines() if " nights, " in line]
        first.append(times[0])
        again.append(times[1])
        peaks.append(float(out.split("peak memory: ")[1].split(" MB")[0]))
        ratios.append(times[0] / plain[-1])
    tool_first, tool_again = [], []
    for n in range(3):
        env = {**os.environ, "XDG_CACHE_HOME": os.path.join(work, f"tool-cache-{n}")}
        tool_first.append(timed([report, "--no-picture", folder], env))
        tool_again.append(timed([report, "--no-picture", folder], env))
    nights = sum(1 for f in os.listdir(folder) if f.endswith(".csv"))
    ratio = statistics.median(ratios)
    return [
        (f"plain reader of the {nights} per-second files (min / median / max of {pairs})", spread(plain), "", True),
        ("first listing, empty cache (bench/list_nights)", spread(first), "", True),
        ("  first listing / plain reader, in each pair", spread(ratios, "×"), "≤ 2×", ratio <= 2),
        ("listing again from the cache", spread(again, "ms", 1000, 0), "≤ 200 ms", statistics.median(again) <= 0.2),
        ("peak memory of the listings", f"{max(peaks):.0f} MB", "≤ 64 MB", max(peaks) <= 64),
        ("trelvo-report --no-picture FOLDER, empty cache (3 pairs)", spread(tool_first), "", True),
        ("trelvo-report --no-picture FOLDER, the cache filled", spread(tool_again), "≤ 1 s",
         statistics.median(tool_again) <= 1),
    ]


def nights_rows(count):
    folder = os.environ.get("TRELVO_NIGHTS_DIR")
    if not folder:
        folder = tempfile.mkdtemp(prefix="trelvo-year-")
        for n in range(count):
            subprocess.run([os.path.join(BUILD, "tests", "make_night"), os.path.join(folder, f"night-{n:03d}.txt"),
                            "8", "22", str(n)], check=True)
    size = sum(os.path.getsize(os.path.join(folder, f)) for f in os.listdir(folder)) / 1e9
    listing = listing_rows(folder)
    cache = tempfile.mkdtemp(prefix="trelvo-cache-")
    end_seconds, was_listing = end_while_listing(folder)
    first_run = nights_window(folder, cache)
    again = nights_window(folder, cache, seconds_before=5)
    n = first_run["nights"]
    return listing + [
        (f"nights window, first opening: {n} nights of 8 h with the wave ({size:.1f} GB)",
         f"{first_run['seconds']:.1f} s", "≤ 60 s", first_run["seconds"] <= 60),
        ("File > End while the window lists (a pipe among the nights)" + ("" if was_listing else ", listing done"),
         f"{end_seconds * 1000:.0f} ms", "≤ 2 s", end_seconds <= 2),
        ("nights window, opening again (the summary cache)", f"{again['seconds'] * 1000:.0f} ms", "≤ 1 s",
         again["seconds"] <= 1),
        (f"status byte to SpO2 paint p99, before ({first_run['n_before']})", f"{first_run['p99_before']:.1f} ms",
         "≤ 50 ms", first_run["p99_before"] <= 50),
        (f"status byte to SpO2 paint, slowest while the nights window opens ({first_run['n_opening']})",
         f"{first_run['opening_ms']:.1f} ms", "", True),
        (f"status byte to SpO2 paint p99, while the nights load (after the window's first second, "
         f"{first_run['n_during']})", f"{first_run['p99_during']:.1f} ms", "≤ 50 ms", first_run["p99_during"] <= 50),
        ("main thread CPU, line rate, before", f"{first_run['cpu_before']:.2f} %", "", True),
        ("main thread CPU, line rate, while the nights load (after the window's first second)", f"{first_run['cpu_during']:.2f} %",
         f"≤ {first_run['cpu_before'] + 0.5:.2f} %", first_run["cpu_during"] <= first_run["cpu_before"] + 0.5),
        (f"  main thread CPU the load added, in all ({first_run['loading_s']:.1f} s)", f"{first_run['added_ms']:.0f} ms",
         "", True),
        ("peak memory of the program after listing them", f"{first_run['peak']:.0f} MB", "≤ 150 MB",
         first_run["peak"] <= 150),
        ("a year listed: Down in the table to the next night shown, slowest of 6",
         f"{again['choose_ms']:.0f} ms", "≤ 300 ms", again["choose_ms"] <= 300),
        ("a year listed: F3 to the next event shown, slowest", f"{again['event_ms']:.0f} ms", "≤ 100 ms",
         again["event_ms"] <= 100),
    ]


def main():
    decoder = benchmark("decoder_bench", "BM_PipelineRealisticStream/4096")
    trace = benchmark("trace_bench", "BM_DrawWaveSample")
    report = report_rows()
    launch_ms, ok_ms, p50, p99, n = startup_and_latency()
    # The real unit's pace and the floor over the same seconds of one run.
    cpu_unit, _, peak_unit, cpu_floor, ratio = program_load(60, "--seed", "3", beside_floor=True)
    cpu_full, wakeups_full, peak_full = program_load(60)
    cpu_idle, _, peak_idle = program_load(60, "--scenario", "silence")
    peak = max(peak_unit, peak_full, peak_idle)
    rows = [
        ("decoder through the pipeline, realistic stream", f"{decoder['bytes_per_second'] / 1e6:.0f} MB/s", "≥ 500 MB/s",
         decoder["bytes_per_second"] >= 500e6),
        ("trace, one sample into the widget", f"{trace['real_time']:.0f} ns", "", True),
        ("CPU, a real unit's pace (simulator's normal stream)", f"{cpu_unit:.2f} %", "≤ 1.0 %", cpu_unit <= 1.0),
        ("CPU, full line rate (960 bytes a second)", f"{cpu_full:.2f} %", "≤ 1.5 %", cpu_full <= 1.5),
        ("CPU, silent line (the no-data warning blinking)", f"{cpu_idle:.2f} %", "≤ 0.15 %", cpu_idle <= 0.15),
        ("floor: the same window and frames, nothing decoded, beside it", f"{cpu_floor:.2f} %", "", True),
        ("real unit's pace / floor, over the same seconds (median of six 10-s windows)", f"{ratio:.2f}", "≤ 1.1",
         ratio <= 1.1),
        ("event-loop wake-ups per second, full line rate", f"{wakeups_full:.1f}", "≤ 40", wakeups_full <= 40),
        ("peak resident memory", f"{peak:.1f} MB", "≤ 50 MB", peak <= 50),
        ("launch to start window shown", f"{launch_ms:.0f} ms", "≤ 300 ms", launch_ms <= 300),
        ("OK to main window shown (8 ports)", f"{ok_ms:.0f} ms", "", True),
        (f"status byte to the paint of the new SpO2, p50 ({n})", f"{p50:.1f} ms", "", True),
        (f"status byte to the paint of the new SpO2, p99 ({n})", f"{p99:.1f} ms", "≤ 50 ms", p99 <= 50),
        *report,
    ]
    print_table(rows)
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["--listing"]:
        print_table(listing_rows(sys.argv[2]))
        sys.exit(0)
    if sys.argv[1:] == ["--report"]:
        print_table(report_rows())
        sys.exit(0)
    if sys.argv[1:2] == ["--nights"]:
        print_table(nights_rows(int(sys.argv[2]) if len(sys.argv) > 2 else 365))
        sys.exit(0)
    sys.exit(main())
