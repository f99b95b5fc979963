"""Start-up: comsend against the toolkit's floor.

Each run is one call of mapwatch (mapwatch.c), which forks and execs the
program and stops it at the MapNotify of its window "Form1", reporting the
time from fork to map, the CPU time used by then and the peak resident memory
(VmHWM). The programs take turns, and the order rotates every round, so that
whatever else the machine is doing falls on all alike. The first rounds warm
the page cache and are not counted.

Besides the floor proper, a second floor shows the same stock glyphs on its
three buttons as comsend does (Qt reads them from PNG files); the difference
between the two is what those glyphs cost. A third shows a glyph compiled in
as XPM instead, which Qt decodes without its image reader.

Targets, against the first program given (the plain floor): comsend's median
time within 1.15 times the floor's, its median VmHWM within the floor's plus
5 MB (5,000,000 bytes, 4883 KiB as /proc counts).
"""

import statistics
import subprocess
import sys
import time

TIME_RATIO_TARGET = 1.15
MEMORY_MARGIN_KB = 5_000_000 / 1024


def measure(mapwatch, program, env):
    done = subprocess.run([mapwatch, "Form1", "20000", program], env=env, capture_output=True,
                          text=True)
    if done.returncode != 0:
        sys.exit(f"bench: {program} did not map its window:\n{done.stderr}")
    line = done.stdout.strip().splitlines()[-1]
    return {key: int(value) for key, value in (field.split("=") for field in line.split())}


def interleaved(measure_one, names, runs, warmup, pause=0.0):
    """Each program's samples, measure_one(name) per round, the order
    rotating every round; the warm-up rounds are not kept. `pause` is left
    after each run."""
    samples = {name: [] for name in names}
    for round_ in range(warmup + runs):
        shift = round_ % len(names)
        for name in names[shift:] + names[:shift]:
            sample = measure_one(name)
            if round_ >= warmup:
                samples[name].append(sample)
            time.sleep(pause)
    return samples


def run(mapwatch, programs, runs, warmup, env):
    names = list(programs)
    samples = interleaved(lambda name: measure(mapwatch, programs[name], env), names, runs, warmup)

    def median(name, key):
        return statistics.median(s[key] for s in samples[name])

    def spread(name, key):
        values = [s[key] for s in samples[name]]
        return min(values), max(values)

    out = ["## 1. Start-up: exec to MapNotify of Form1", ""]
    out.append(f"{runs} runs each (after {warmup} warm-up rounds), the programs interleaved; "
               "medians, with the range in brackets. The CPU time is summed over the threads alive "
               "at the map; it is far less sensitive to what else runs on the machine than the "
               "time to map is.")
    out.append("")
    out.append("| program | time to map (ms) | CPU time by then (ms) | VmHWM at map (KiB) |")
    out.append("| --- | --- | --- | --- |")
    for name in names:
        t_lo, t_hi = spread(name, "map_us")
        c_lo, c_hi = spread(name, "cpu_us")
        m_lo, m_hi = spread(name, "hwm_kb")
        out.append(f"| {name} | {median(name, 'map_us') / 1000:.1f} [{t_lo / 1000:.1f}–{t_hi / 1000:.1f}] "
                   f"| {median(name, 'cpu_us') / 1000:.1f} [{c_lo / 1000:.1f}–{c_hi / 1000:.1f}] "
                   f"| {median(name, 'hwm_kb'):.0f} [{m_lo}–{m_hi}] |")
    out.append("")

    for floor in names[:-1]:
        ratio = median("comsend", "map_us") / median(floor, "map_us")
        cpu_ratio = median("comsend", "cpu_us") / median(floor, "cpu_us")
        extra_kb = median("comsend", "hwm_kb") - median(floor, "hwm_kb")
        paired = statistics.median(c["map_us"] / f["map_us"]
                                   for c, f in zip(samples["comsend"], samples[floor]))
        verdict = floor == names[0]
        time_note = (f" (target <= {TIME_RATIO_TARGET}): {'met' if ratio <= TIME_RATIO_TARGET else 'NOT met'}"
                     if verdict else "")
        memory_note = (f" (target <= +5 MB): {'met' if extra_kb <= MEMORY_MARGIN_KB else 'NOT met'}"
                       if verdict else "")
        out.append(f"- Against {floor}: time comsend / {floor} = **{ratio:.3f}**{time_note} "
                   f"(median of the per-round ratios {paired:.3f}); CPU time {cpu_ratio:.3f}; memory comsend - {floor} = "
                   f"**{extra_kb:+.0f} KiB ({extra_kb * 1024 / 1e6:+.2f} MB)**{memory_note}.")
    out.append("")
    return out
