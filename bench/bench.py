#!/usr/bin/env python3
"""Times every zolt job against the general tool that does the same work.

Each job runs --runs times for zolt and for its peer, the two alternating
(which of them goes first flips from one round to the next). For every run
the harness records wall time, user + system CPU time and peak resident set
size of the child (wait4). The table shows, for every job, the least and the
median CPU time of the runs (the least is the one least disturbed by other
work on the machine), the ratios zolt / peer and zolt / cat of the least
times (cat on the whole corpus, the cost of moving the bytes at all; it is
the copy job's peer, which therefore always runs), peak RSS and the targets
of the project.

Every output is a file under the work directory (or, with --sink pipe, a
pipe that the harness drains). The harness removes the output of the run
before, outside the time measured, and hands both tools a new empty file: a
tool that truncates a large existing output would otherwise pay for freeing
it. Everything runs under LC_ALL=C.

Adding a job: append a Job to the list in make_jobs, with a `kind` whose
targets are in TARGETS (a new kind gets its own entry there).

Use bench/run rather than this file directly; bench/run builds zolt first.
"""
import argparse
import datetime
import os
import platform
import shutil
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)
import corpus  # noqa: E402

ENV = dict(os.environ, LC_ALL="C", LANG="C")
NOTE = bytes((0x81, 0x6D))  # the note mark of the corpus that pattern split cuts at
EVERY = 1000  # pattern split: a new piece at every EVERY-th note
MIB = 1024 * 1024
# The targets of each kind of job: (text, test) pairs, where test takes
# the figures of the job (see job_figures) and says whether it is met.
TARGETS = {
    "copy": [("CPU ≤ 1.05× cat", lambda f: f["cat"] <= 1.05)],
    "filter": [("CPU ≤ peer", lambda f: f["peer"] <= 1.0), ("CPU ≤ 1.3× cat", lambda f: f["cat"] <= 1.3)],
    "kana": [("CPU ≤ 1.3× cat", lambda f: f["cat"] <= 1.3),
             ("≥ 10× faster than peer", lambda f: f["peer"] <= 0.1)],
    "merge": [("CPU ≤ peer", lambda f: f["peer"] <= 1.0)],
    "split": [("CPU ≤ peer", lambda f: f["peer"] <= 1.0), ("CPU ≤ 1.15× cat", lambda f: f["cat"] <= 1.15)],
    "split-lines": [("CPU ≤ 0.9× peer", lambda f: f["peer"] <= 0.9)],
    "split-pattern": [("CPU ≤ 1.1× line split", lambda f: f.get("lines", 99) <= 1.1)],
    "to-utf8": [("CPU ≤ 0.1× iconv", lambda f: f["peer"] <= 0.1), ("CPU ≤ 3× cat", lambda f: f["cat"] <= 3.0)],
    "from-utf8": [("CPU ≤ 0.1× iconv", lambda f: f["peer"] <= 0.1)],
}


def make_utf8(text, work):
    """The corpus in UTF-8, made once with iconv (-c drops the few codes
    without a character that the generated text holds)."""
    utf8 = os.path.join(work, "corpus.utf8")
    if not os.path.exists(utf8):
        with open(utf8 + ".tmp", "wb") as f:
            subprocess.run(["iconv", "-c", "-f", "CP932", "-t", "UTF-8", text], stdout=f)
        os.replace(utf8 + ".tmp", utf8)
    return os.path.relpath(utf8, ROOT)


class Job:
    def __init__(self, name, zolt, peer, stdin=None, output=None, outdir=None, kind="filter"):
        self.name = name
        self.zolt = zolt  # argv after the zolt binary
        self.peer = peer  # full argv
        self.stdin = stdin  # file given to the peer on standard input
        self.output = output  # standard output: None (the sink), "discard" or a file name
        self.outdir = outdir  # emptied before every run
        self.kind = kind


MEASURE = os.path.join(ROOT, "build", "bench", "measure")


def run_once(argv, stdin_path, output, outdir):
    """Runs argv under the measure program; returns (wall s, cpu s, peak rss
    KiB, exit status). `output` is "pipe" (drained here), "discard" (the null
    device) or the name of a file to write, removed first."""
    if outdir:
        outdir = os.path.join(ROOT, outdir)
        shutil.rmtree(outdir, ignore_errors=True)
        os.makedirs(outdir)
    if output not in ("pipe", "discard"):
        output = os.path.join(ROOT, output)
        if os.path.lexists(output):
            os.remove(output)
    report = os.path.join(os.path.dirname(MEASURE), "report.txt")
    stdin = open(os.path.join(ROOT, stdin_path) if stdin_path else os.devnull, "rb")
    if output == "pipe":
        proc = subprocess.Popen([MEASURE, report] + argv, stdin=stdin, stdout=subprocess.PIPE, env=ENV, cwd=ROOT)
        buf = bytearray(1 << 20)
        while proc.stdout.readinto(buf) > 0:
            pass
        proc.stdout.close()
    else:
        with open(os.devnull if output == "discard" else output, "wb") as out:
            proc = subprocess.Popen([MEASURE, report] + argv, stdin=stdin, stdout=out, env=ENV, cwd=ROOT)
    proc.wait()
    stdin.close()
    if output not in ("pipe", "discard"):
        os.remove(output)  # frees the memory of a file in tmpfs before the next run
    if proc.returncode != 0:
        sys.exit("bench: the measure program failed")
    with open(report) as f:
        wall, cpu, rss, code = f.read().split()
    return float(wall), float(cpu), int(rss), int(code)


def count_notes(path):
    """Lines that start with the note mark."""
    with open(path, "rb") as f:
        return sum(1 for line in f if line.startswith(NOTE))


def count_lines(path):
    n = 0
    with open(path, "rb") as f:
        while True:
            block = f.read(1 << 22)
            if not block:
                return n
            n += block.count(b"\n")


def prefix_file(src, dst, size):
    """Copies the first `size` bytes of src, cut back to a line end."""
    with open(src, "rb") as f:
        data = f.read(size)
    cut = data.rfind(b"\n") + 1
    with open(dst, "wb") as f:
        f.write(data[: cut or len(data)])


def make_parts(src, work, count=4):
    """Cuts src into `count` files of about equal size for the merge job."""
    size = os.path.getsize(src)
    names = [os.path.join(work, "part%d.txt" % (i + 1)) for i in range(count)]
    with open(src, "rb") as f:
        for i, name in enumerate(names):
            want = size // count if i < count - 1 else size
            with open(name, "wb") as out:
                left = want
                while left > 0:
                    block = f.read(min(left, 1 << 22))
                    if not block:
                        break
                    out.write(block)
                    left -= len(block)
    return names


def make_jobs(text, work, tag):
    # Commands run in the repository root with relative names: zolt takes a
    # first argument that starts with "/" for a switch.
    size = os.path.getsize(text)
    lines = count_lines(text)
    parts = [os.path.relpath(p, ROOT) for p in make_parts(text, work)]
    text = os.path.relpath(text, ROOT)
    work = os.path.relpath(work, ROOT)
    out = os.path.join(work, "out-" + tag)
    merged = os.path.join(work, "merged-" + tag)
    chapters = count_notes(os.path.join(ROOT, text))
    utf8 = make_utf8(os.path.join(ROOT, text), os.path.join(ROOT, work))
    piece_k = max(1, -(-size // 20 // 1000))  # about 20 pieces
    # As many pieces as the pattern split makes, so that the two line
    # splits differ only in how they find the cut.
    piece_lines = max(1, -(-lines // max(1, chapters // EVERY)))
    pieces = os.path.join(out, "x")
    jobs = [
        Job("copy", [text], ["cat", text], kind="copy"),
        # Both write the merged file through standard output.
        Job("-M", ["-M"] + parts, ["cat"] + parts, output=merged, kind="merge"),
    ]
    for sw in ("-Cu", "-Cd", "-Cm", "-J"):
        jobs.append(Job(sw, [sw, text], ["tr", "-d", "\r"], stdin=text))
    jobs += [
        Job("-D", ["-D", text], ["tr", "-d", "\r"], stdin=text),
        Job("-L", ["-L", text], ["tr", "A-Z", "a-z"], stdin=text),
        Job("-P", ["-P", text], ["tr", "a-z", "A-Z"], stdin=text),
        Job("-U", ["-U", text], ["uniq", text]),
        Job("-U+", ["-U+", text], ["uniq", "-i", text]),
        Job("-T8", ["-T8", text], ["expand", "-t", "8", text]),
        Job("-K", ["-K", text], ["nkf", "-S", "-s", text], kind="kana"),
        # The corpus holds codes without a character: both replace or drop them.
        Job("-Eu", ["-Eu+", text], ["iconv", "-c", "-f", "CP932", "-t", "UTF-8", text], kind="to-utf8"),
        Job("-Es", ["-Es", utf8], ["iconv", "-f", "UTF-8", "-t", "CP932", utf8], kind="from-utf8"),
        Job("-S size", ["-S%d" % piece_k, text, out], ["split", "-b", str(piece_k * 1000), text, pieces],
            output="discard", outdir=out, kind="split"),
        Job("-SnL", ["-S%d.4L" % piece_lines, text, out], ["split", "-l", str(piece_lines), text, pieces],
            output="discard", outdir=out, kind="split-lines"),
        Job("-S pattern", ["-S%d.4L" % EVERY, b"-#^" + NOTE, text, out],
            ["awk", "-v", "p=" + pieces, b'BEGIN { f = p "0000" } NR > 1 && /^' + NOTE +
             b'/ && ++n %% %d == 0 { close(f); f = sprintf("%%s%%04d", p, ++k) } { print > f }' % EVERY, text],
            output="discard", outdir=out, kind="split-pattern"),
    ]
    return jobs, lines, chapters


def shown(argv):
    def one(a):
        if isinstance(a, bytes):
            a = a.decode("cp932")
        a = a.replace("\r", "\\r")
        full = os.path.join(ROOT, a)
        if "/" in a and os.path.isdir(os.path.dirname(full)):
            a = os.path.basename(a)
        if any(c in a for c in " \\*{}^/"):
            return "'" + a + "'"
        return a
    return " ".join(one(a) for a in argv)


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def memory_size():
    try:
        with open("/proc/meminfo") as f:
            for line in f:
                if line.startswith("MemTotal:"):
                    return "%.0f GiB" % (int(line.split()[1]) / MIB)
    except OSError:
        pass
    return "unknown"


def load_average():
    try:
        return "%.1f" % os.getloadavg()[0]
    except OSError:
        return "?"


def filesystem_type(path):
    """The type of the file system that holds path, from /proc/mounts."""
    best, kind = "", "unknown"
    try:
        with open("/proc/mounts") as f:
            for line in f:
                fields = line.split()
                mount = fields[1]
                if os.path.realpath(path).startswith(mount.rstrip("/") + "/") and len(mount) > len(best):
                    best, kind = mount, fields[2]
    except OSError:
        pass
    return kind


def tool_version(cmd):
    try:
        out = subprocess.run(cmd, capture_output=True, text=True, env=ENV, timeout=10)
        text = (out.stdout or out.stderr).strip().splitlines()
        return text[0] if text else "?"
    except (OSError, subprocess.SubprocessError):
        return "missing"


def job_figures(results, job, cat_cpu, line_cpu):
    """The ratios of a job's least CPU time: to its peer's, to cat's and (for
    the pattern split) to the line split's."""
    zc = min(m[1] for m in results[job.name]["zolt"])
    pc = min(m[1] for m in results[job.name]["peer"])
    figures = {"peer": zc / pc if pc > 0 else float("inf"), "cat": zc / cat_cpu if cat_cpu > 0 else float("inf")}
    if line_cpu:
        figures["lines"] = zc / line_cpu
    return figures


def main():
    ap = argparse.ArgumentParser(description="zolt benchmark")
    ap.add_argument("--size", default="256M", help="corpus size (K, M, G suffixes); default 256M")
    ap.add_argument("--runs", type=int, default=5, help="runs per tool and job; default 5")
    ap.add_argument("--corpus", help="use this Shift-JIS file instead of the generated text")
    ap.add_argument("--zolt", default=os.path.join(ROOT, "build", "release", "zolt"))
    ap.add_argument("--jobs", help="comma-separated job names to run (default: all)")
    ap.add_argument("--work", default=os.path.join(ROOT, "build", "bench"))
    ap.add_argument("--out", default=os.path.join(HERE, "RESULTS.md"), help="Markdown output")
    ap.add_argument("--sink", choices=("file", "pipe"), default="file",
                    help="where the filters write: a new file in the work directory (default) or a pipe")
    args = ap.parse_args()

    os.makedirs(args.work, exist_ok=True)
    zolt = os.path.abspath(args.zolt)
    missing = [t for t in ("cat", "tr", "uniq", "expand", "nkf", "split", "awk", "iconv") if not shutil.which(t)]
    if missing:
        sys.exit("bench: missing peer tools: %s (nkf is the Debian package nkf)" % " ".join(missing))

    if args.corpus:
        text = os.path.abspath(args.corpus)
        label = os.path.basename(text)
    else:
        size = corpus.parse_size(args.size)
        text = os.path.join(args.work, "corpus-%d.txt" % size)
        if not os.path.exists(text) or os.path.getsize(text) < size:
            print("bench: generating %s" % text, file=sys.stderr)
            tmp = text + ".tmp"
            with open(tmp, "wb") as f:
                corpus.generate(size, f)
            os.replace(tmp, text)
        label = "generated (bench/corpus.py)"
    size = os.path.getsize(text)
    small = os.path.join(args.work, "small.txt")
    prefix_file(text, small, max(size // 16, 1))

    small_dir = os.path.join(args.work, "small")
    full_dir = os.path.join(args.work, "full")
    os.makedirs(small_dir, exist_ok=True)
    os.makedirs(full_dir, exist_ok=True)
    jobs, lines, chapters = make_jobs(text, full_dir, "full")
    small_jobs, _, _ = make_jobs(small, small_dir, "small")
    if args.jobs:
        wanted = set(args.jobs.split(",")) | {"copy"}  # cat is every job's yardstick
        keep = [i for i, j in enumerate(jobs) if j.name in wanted]
        jobs = [jobs[i] for i in keep]
        small_jobs = [small_jobs[i] for i in keep]

    sink = os.path.relpath(os.path.join(args.work, "out-stream"), ROOT) if args.sink == "file" else "pipe"
    for job in jobs + small_jobs:
        job.output = job.output or sink

    load_start = load_average()
    # Warm the page cache.
    run_once(["cat", text], None, "discard", None)

    results = {j.name: {"zolt": [], "peer": []} for j in jobs}
    for rnd in range(args.runs):
        for k, job in enumerate(jobs):
            order = ("zolt", "peer") if (rnd + k) % 2 == 0 else ("peer", "zolt")
            for who in order:
                if who == "zolt":
                    m = run_once([zolt] + job.zolt, None, job.output, job.outdir)
                else:
                    m = run_once(job.peer, job.stdin, job.output, job.outdir)
                if m[3] != 0:
                    print("bench: %s %s exited with %d" % (job.name, who, m[3]), file=sys.stderr)
                results[job.name][who].append(m)
            z = results[job.name]["zolt"][-1]
            p = results[job.name]["peer"][-1]
            print("round %d %-11s zolt %.3fs cpu %.3fs %5.1fMiB | peer %.3fs cpu %.3fs %5.1fMiB"
                  % (rnd + 1, job.name, z[0], z[1], z[2] / 1024, p[0], p[1], p[2] / 1024), file=sys.stderr)

    small_rss = {}
    for job in small_jobs:
        small_rss[job.name] = run_once([zolt] + job.zolt, None, job.output, job.outdir)[2]

    def least(name, who, i):
        return min(m[i] for m in results[name][who])

    def med(name, who, i):
        return statistics.median(m[i] for m in results[name][who])

    rows = []
    verdicts = []
    cat_cpu = least("copy", "peer", 1)
    for job in jobs:
        line_cpu = least("-SnL", "zolt", 1) if job.kind == "split-pattern" and "-SnL" in results else None
        figures = job_figures(results, job, cat_cpu, line_cpu)
        zr = max(m[2] for m in results[job.name]["zolt"]) / 1024
        pr = max(m[2] for m in results[job.name]["peer"]) / 1024
        sr = small_rss[job.name] / 1024
        checks = TARGETS.get(job.kind, []) + [("RSS ≤ 8 MiB, flat", lambda f: zr <= 8 and abs(zr - sr) <= 0.5)]
        ok = all(test(figures) for _, test in checks)
        verdicts.append(ok)
        extra = " (%.2f×)" % figures["lines"] if "lines" in figures else ""
        rows.append("| %s | `zolt %s` | `%s` | %.3f / %.3f | %.3f / %.3f | **%.2f** | **%.2f**%s | %.1f → %.1f | %.1f | %s | %s |" % (
            job.name, shown(job.zolt), shown(job.peer) + (" < corpus" if job.stdin else ""),
            least(job.name, "zolt", 1), med(job.name, "zolt", 1), least(job.name, "peer", 1), med(job.name, "peer", 1),
            figures["peer"], figures["cat"], extra, sr, zr, pr, "; ".join(t for t, _ in checks),
            "yes" if ok else "**no**"))

    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    head = [
        "# zolt benchmark results",
        "",
        "- Date: %s" % now,
        "- Machine: %s, %d logical cores, %s RAM; kernel %s; load average %s at the start, %s at the end" % (
            cpu_model(), os.cpu_count() or 0, memory_size(), platform.release(), load_start, load_average()),
        "- Work directory: %s (%s)" % (os.path.relpath(args.work, ROOT) if args.work.startswith(ROOT) else args.work,
                                       filesystem_type(args.work)),
        "- Corpus: %s, %s bytes, %s lines, %d note lines (pattern split cuts at every %d-th); CR LF lines" % (
            label, format(size, ","), format(lines, ","), chapters, EVERY),
        "- Runs: %d per tool and job, zolt and peer alternating; CPU least / median of the runs;" % args.runs,
        "  the ratios are of the least times (the runs least disturbed by other work)",
        "- Peers: %s; %s; %s" % (tool_version(["cat", "--version"]), tool_version(["nkf", "--version"]),
                                 tool_version(["uname", "-m"])),
        "- Output: %s; merge and split write files. Every output is removed before the run," % (
            "a new file in the work directory" if args.sink == "file" else "a pipe drained by the harness"),
        "  outside the time measured. Everything runs under LC_ALL=C. CPU = user + system time of the child; RSS = peak",
        "  resident set (small → full: on a 1/16 prefix of the corpus, then on all of it).",
        "",
        "| Job | zolt | peer | zolt CPU s least / median | peer CPU s least / median | CPU zolt/peer "
        "| CPU zolt/cat | zolt RSS MiB | peer RSS MiB | Targets | Met |",
        "|---|---|---|---:|---:|---:|---:|---:|---:|---|---|",
    ]
    tail = ["", "Targets met: %d of %d jobs." % (sum(verdicts), len(verdicts)), ""]
    doc = "\n".join(head + rows + tail)
    print(doc)
    if args.out and args.out != "-":
        with open(args.out, "w") as f:
            f.write(doc)
        print("bench: wrote %s" % args.out, file=sys.stderr)


if __name__ == "__main__":
    main()
